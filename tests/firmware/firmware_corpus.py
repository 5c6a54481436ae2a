"""Hostile firmware for `tessary simulate`, made here from source: programs that misbehave on
the CPU, ELF files that carry a simulator's trace and file-name entries, files built for
another MCU, and damaged copies of a good firmware (cut short, fields pointing past the end,
random bytes changed). Each case says which exit statuses a sound `simulate` may give and,
where one is certain, the line it must print. Used by the tests and by tools/sweep-firmware."""

import os
import random
import struct
import subprocess

ROOT = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..")
DRIVER = os.path.join(ROOT, "firmware", "SP0256", "src")

# Says hh1 eh ll ow pa1 and stops, as a sketch does; EXTRA goes before main() and BODY after
# the words.
GOOD = r"""
#include "SP0256.h"
#include <avr/interrupt.h>
#include <avr/io.h>
#include <avr/pgmspace.h>
#include <avr/sleep.h>
#include <stdint.h>
EXTRA
static const uint8_t hello[] PROGMEM = {0x1B, 0x07, 0x2D, 0x35, 0x00};
int main(void)
{
#ifdef SP0256_NO_DEFAULT_PINS /* an MCU the driver has no wiring for */
    static const sp0256_pins pins = {{SP0256_LINE(PORTC, 0), SP0256_LINE(PORTC, 1),
        SP0256_LINE(PORTC, 2), SP0256_LINE(PORTC, 3), SP0256_LINE(PORTC, 4),
        SP0256_LINE(PORTC, 5)}, SP0256_LINE(PORTB, 0), SP0256_LINE(PORTB, 1),
        SP0256_LINE(PORTB, 2), SP0256_LINE(PORTB, 3)};
    sp0256_begin(&pins);
#else
    sp0256_begin(0);
#endif
    sp0256_say_codes_P(hello, sizeof hello);
    sp0256_wait();
    BODY
    for (;;) {}
}
"""

MMCU_NAME, MMCU_FREQUENCY, MMCU_COMMAND, MMCU_CONSOLE = 1, 2, 10, 11
MMCU_VCD_FILENAME, MMCU_VCD_PERIOD, MMCU_VCD_TRACE = 12, 13, 14


def mmcu(*tags):
    """A .mmcu section of (tag, bytes) entries, as simavr's loader reads one."""
    data = b"".join(bytes([tag, len(value)]) + value for tag, value in tags)
    return ("const unsigned char mmcu[] __attribute__((section(\".mmcu\"), used)) = {"
            + ", ".join(str(b) for b in data) + "};")


def trace(addr, name, mask=0xFF):
    return (MMCU_VCD_TRACE, bytes([mask]) + struct.pack("<H", addr) + name.encode() + b"\0")


def build(tmp, name, extra="", body="", mcu="atmega328p"):
    """The firmware's ELF, built from GOOD with avr-gcc."""
    source = os.path.join(tmp, name + ".c")
    with open(source, "w") as f:
        f.write(GOOD.replace("EXTRA", extra).replace("BODY", body))
    elf = os.path.join(tmp, name + ".elf")
    own = [] if mcu == "atmega328p" else ["-DSP0256_NO_DEFAULT_PINS"]
    subprocess.run(["avr-gcc", f"-mmcu={mcu}", "-DF_CPU=16000000UL", "-Os", *own, f"-I{DRIVER}",
                    "-o", elf, source, os.path.join(DRIVER, "SP0256.c"),
                    os.path.join(DRIVER, "SP0256_avr.c")], check=True)
    with open(elf, "rb") as f:
        return f.read()


def programs(tmp, written):
    """(name, ELF bytes, statuses, line) for firmware that is whole but hostile. `written`
    is a path the trace entries name, which nothing may create."""
    said = (0,)
    rows = [
        ("a trace file named anywhere",
         build(tmp, "vcd", mmcu((MMCU_VCD_FILENAME, written.encode() + b"\0"),
                                (MMCU_VCD_PERIOD, struct.pack("<I", 1000)),
                                trace(0x25, "PORTB"))), said, ""),
        ("a trace with no file name", build(tmp, "gtkwave", mmcu(trace(0x28, "PORTC"))), said, ""),
        ("a 250-byte chip name", build(tmp, "name", mmcu((MMCU_NAME, b"a" * 249 + b"\0"))),
         said, ""),
        ("40 trace entries",
         build(tmp, "traces", mmcu(*[trace(0x25, "t%02d" % i) for i in range(40)])), said, ""),
        ("a console and a command register",
         build(tmp, "console", mmcu((MMCU_CONSOLE, struct.pack("<H", 0x3C)),
                                    (MMCU_COMMAND, struct.pack("<H", 0x3D)))), said, ""),
        ("an ATmega32's build (the same family)", build(tmp, "m32", mcu="atmega32"), (2,),
         "built for the atmega32"),
        ("an ATmega644P's 60 KB", build(tmp, "m644", "const uint8_t a[30000] PROGMEM = {1}, b[30000] PROGMEM = {2};",
                                        "PORTD = pgm_read_byte(&a[PORTB]) + pgm_read_byte(&b[PORTB]);",
                                        mcu="atmega644p"), (2,), "built for the atmega644p"),
        ("a CPU that runs into empty flash",
         build(tmp, "empty", body="((void (*)(void))0x2000)();"), (1,),
         "the CPU jumped outside its program to 0x4000"),
        ("a CPU asleep with interrupts off",
         build(tmp, "asleep", body="cli(); set_sleep_mode(SLEEP_MODE_PWR_DOWN); sleep_enable();"
                                   " sleep_cpu();"), (1,),
         "the CPU went to sleep with interrupts off"),
        ("a read outside RAM", build(tmp, "read", body="PORTD = *(volatile uint8_t*)0x1234;"),
         (1,), "a read from 0x1234, outside its RAM"),
        ("a write outside RAM", build(tmp, "write", body="*(volatile uint8_t*)0xF000 = 1;"),
         (1,), "a write to 0xF000, outside its RAM"),
        # ELPM r24, Z with r0 as the high byte, as simavr runs it on an MCU without RAMPZ.
        ("ELPM from 9 MiB", build(tmp, "elpm", body='asm volatile("ldi r24, 0x91\\n mov r0, r24\\n'
                                                    ' .word 0x9186" ::: "r0", "r24");'),
         (1,), "an instruction the AVR does not have"),
        ("flash read far past its end",
         build(tmp, "lpm", body="PORTD = pgm_read_byte((const uint8_t*)0xFFF0);"), said, ""),
    ]
    return rows


def fields(elf):
    """The header fields a mutation aims at."""
    (phoff, shoff) = struct.unpack_from("<II", elf, 28)
    (phnum, shentsize, shnum, shstrndx) = struct.unpack_from("<HHHH", elf, 44)
    return phoff, shoff, phnum, shnum, shstrndx


def ram_segment(elf):
    """The offset of the first program header that takes RAM."""
    phoff, _, phnum, _, _ = fields(elf)
    for i in range(phnum):
        at = phoff + 32 * i
        vaddr, memsz = struct.unpack_from("<I", elf, at + 8)[0], struct.unpack_from("<I", elf, at + 20)[0]
        if 0x800000 <= vaddr < 0x810000 and memsz:
            return at
    raise AssertionError("no segment takes RAM")


def put(elf, offset, fmt, value):
    b = bytearray(elf)
    struct.pack_into(fmt, b, offset, value)
    return bytes(b)


def damaged(good, count, seed=1):
    """(name, ELF bytes, statuses, line) for damaged copies of a good firmware: cut short,
    header fields pointing past its end, and `count` copies with random bytes changed."""
    phoff, shoff, phnum, shnum, shstrndx = fields(good)
    names = shoff + 40 * shstrndx
    refused = (2,)
    rows = [("cut to %d bytes" % n, good[:n], refused, "")
            for n in (3, 30, 60, phoff + 40, 200, 1000, shoff, len(good) - 1)]
    first_section = shoff + 40
    rows += [
        ("x86-64's machine", put(good, 18, "<H", 62), refused, "another processor"),
        ("a 64-bit class", put(good, 4, "<B", 2), refused, "another processor"),
        ("big-endian", put(good, 5, "<B", 2), refused, "another processor"),
        ("an object file", put(good, 16, "<H", 1), refused, "not a linked program"),
        ("65535 program headers", put(good, 44, "<H", 0xFFFF), refused, "program headers"),
        ("program headers past the end", put(good, 28, "<I", 0xFFFFFFF0), refused, ""),
        ("section headers past the end", put(good, 32, "<I", len(good) - 10), refused, ""),
        ("a section past the end", put(good, first_section + 16, "<I", 0xFFFFFF00), refused,
         "section 1 lies past its end"),
        ("a huge section", put(good, first_section + 20, "<I", 0x7FFFFFFF), refused, ""),
        ("a segment larger than the file", put(good, phoff + 16, "<I", 0x7FFFFFFF), refused,
         "segment 0 lies past its end"),
        ("code loaded at 7 MB", put(good, phoff + 12, "<I", 0x700000), refused,
         "bytes of flash"),
        ("data over the registers", put(good, ram_segment(good) + 8, "<I", 0x800010), refused,
         "below the ATmega328P's RAM"),
        ("no section names", put(good, 50, "<H", 999), (0,), ""),
        ("section names of no type, past the end",
         put(put(good, names + 4, "<I", 0), names + 16, "<I", 0xFFFFFF00), (0,), ""),
        ("an avr6 flag", put(good, 36, "<I", 6), refused, ""),
    ]
    rng = random.Random(seed)
    for i in range(count):
        b = bytearray(good)
        # Most changes land in the headers, where they matter; some anywhere.
        for _ in range(rng.randint(1, 8)):
            where = rng.random()
            at = (rng.randrange(0, phoff + phnum * 32) if where < 0.4
                  else rng.randrange(shoff, shoff + shnum * 40) if where < 0.8
                  else rng.randrange(len(b)))
            b[at] = rng.randrange(256)
        rows.append(("random change %d" % i, bytes(b), (0, 1, 2), ""))
    return rows
