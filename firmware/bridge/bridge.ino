// The bridge firmware as an Arduino sketch: copy firmware/SP0256 into your Arduino libraries
// folder, open this folder in the Arduino IDE, choose Arduino Uno (or Nano) and upload. The
// program is bridge.c beside this file, which the IDE builds with it; it has its own main(),
// so the usual setup() and loop() are not used.
