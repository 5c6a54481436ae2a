/* A board in simulation: the bridge firmware's ELF running in simavr on an ATmega328P at
 * 16 MHz, its UART on a pseudo-terminal, and a model of the SP0256-AL2 on its pins.
 *
 *   chip_sim FIRMWARE.elf DURATIONS.tsv LOG
 *
 * Prints "pty PATH" once the terminal is there. The model latches A1-A6 when ALD falls, speaks
 * each allophone for its time on the chip at 3.12 MHz (the durations' chip_ms column), keeps one
 * address waiting in its input buffer, holds LRQ high while that buffer is full and SBY low
 * while it speaks, and falls silent at once when RESET goes low. Time is the AVR's cycles, never
 * the wall clock. LOG gets a line for each event, flushed as it happens:
 *
 *   start CODE US      an allophone starts, US microseconds of simulated time from power-on
 *   end CODE US        it ends
 *   load CODE US       ALD fell: the address went into the input buffer
 *   reset US           RESET went low
 *   violation US ...   ALD fell while LRQ said the chip could take no address
 *   bytes IN OUT       at the end: bytes the firmware received and sent
 */
#include <simavr/avr_ioport.h>
#include <simavr/avr_uart.h>
#include <simavr/parts/uart_pty.h>
#include <simavr/sim_avr.h>
#include <simavr/sim_elf.h>
#include <simavr/sim_time.h>

#include <signal.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <unistd.h>

#define NONE (-1)

static avr_t* avr;
static FILE* logFile;
static double chipMs[64];

static uint8_t address;          /* A1-A6 as the port drives them */
static int ald = 1, reset = 1;   /* the pins as last seen */
static int buffered = NONE;      /* the input buffer's address, waiting */
static int speaking = NONE;      /* the allophone being spoken */
static avr_irq_t *lrqPin, *sbyPin;
static volatile sig_atomic_t stopping;
static unsigned long bytesIn, bytesOut;

static void onByteIn(avr_irq_t* irq, uint32_t value, void* param)
{
    (void)irq;
    (void)value;
    (void)param;
    ++bytesIn;
}

static void onByteOut(avr_irq_t* irq, uint32_t value, void* param)
{
    (void)irq;
    (void)value;
    (void)param;
    ++bytesOut;
}

static double microseconds(void)
{
    return (double)avr->cycle * 1e6 / (double)avr->frequency;
}

static void event(const char* what, int code)
{
    if (code == NONE)
        fprintf(logFile, "%s %.3f\n", what, microseconds());
    else
        fprintf(logFile, "%s %d %.3f\n", what, code, microseconds());
    fflush(logFile);
}

static void drive(void)
{
    avr_raise_irq(lrqPin, buffered != NONE);
    avr_raise_irq(sbyPin, speaking == NONE && buffered == NONE);
}

static avr_cycle_count_t finished(avr_t* a, avr_cycle_count_t when, void* param);

static void speak(int code)
{
    speaking = code;
    event("start", code);
    const avr_cycle_count_t cycles =
        (avr_cycle_count_t)(chipMs[code] * 1e-3 * (double)avr->frequency + 0.5);
    avr_cycle_timer_register(avr, cycles, finished, NULL);
}

static avr_cycle_count_t finished(avr_t* a, avr_cycle_count_t when, void* param)
{
    (void)a;
    (void)when;
    (void)param;
    event("end", speaking);
    speaking = NONE;
    if (buffered != NONE) {
        const int next = buffered;
        buffered = NONE;
        speak(next);
    }
    drive();
    return 0;
}

/* An idle chip takes the address from its buffer a few tens of microseconds after ALD. */
static avr_cycle_count_t takeFromBuffer(avr_t* a, avr_cycle_count_t when, void* param)
{
    (void)a;
    (void)when;
    (void)param;
    if (speaking == NONE && buffered != NONE) {
        const int next = buffered;
        buffered = NONE;
        speak(next);
        drive();
    }
    return 0;
}

static void onAddress(avr_irq_t* irq, uint32_t value, void* param)
{
    (void)irq;
    (void)param;
    address = (uint8_t)(value & 0x3F);
}

static void onAld(avr_irq_t* irq, uint32_t value, void* param)
{
    (void)irq;
    (void)param;
    const int falling = ald && !value;
    ald = (int)value;
    if (!falling || !reset)
        return;
    if (buffered != NONE) {
        fprintf(logFile, "violation %.3f ALD with the buffer full (%d waiting)\n", microseconds(),
                buffered);
        fflush(logFile);
        return;
    }
    buffered = address;
    event("load", address);
    drive();
    if (speaking == NONE)
        avr_cycle_timer_register_usec(avr, 24, takeFromBuffer, NULL);
}

static void onReset(avr_irq_t* irq, uint32_t value, void* param)
{
    (void)irq;
    (void)param;
    if (reset && !value) {
        event("reset", NONE);
        avr_cycle_timer_cancel(avr, finished, NULL);
        avr_cycle_timer_cancel(avr, takeFromBuffer, NULL);
        speaking = buffered = NONE;
        drive();
    }
    reset = (int)value;
}

static int readDurations(const char* path)
{
    FILE* f = fopen(path, "r");
    if (!f)
        return 0;
    char line[256];
    int rows = 0;
    if (!fgets(line, sizeof line, f)) { /* code mnemonic datasheet_ms chip_ms */
        fclose(f);
        return 0;
    }
    while (fgets(line, sizeof line, f)) {
        int code;
        char mnemonic[16];
        double datasheet, chip;
        if (sscanf(line, "%d %15s %lf %lf", &code, mnemonic, &datasheet, &chip) == 4 &&
            code >= 0 && code < 64) {
            chipMs[code] = chip;
            ++rows;
        }
    }
    fclose(f);
    return rows == 64;
}

static void onSignal(int sig)
{
    (void)sig;
    stopping = 1;
}

int main(int argc, char* argv[])
{
    if (argc != 4) {
        fprintf(stderr, "usage: chip_sim FIRMWARE.elf DURATIONS.tsv LOG\n");
        return 2;
    }
    if (!readDurations(argv[2])) {
        fprintf(stderr, "chip_sim: cannot read 64 durations from %s\n", argv[2]);
        return 1;
    }
    logFile = fopen(argv[3], "w");
    elf_firmware_t firmware;
    memset(&firmware, 0, sizeof firmware);
    if (!logFile || elf_read_firmware(argv[1], &firmware) != 0) {
        fprintf(stderr, "chip_sim: cannot read %s or write %s\n", argv[1], argv[3]);
        return 1;
    }
    strcpy(firmware.mmcu, "atmega328p");
    firmware.frequency = 16000000;
    avr = avr_make_mcu_by_name(firmware.mmcu);
    if (!avr)
        return 1;
    avr_init(avr);
    avr_load_firmware(avr, &firmware);

    uart_pty_t pty;
    uart_pty_init(avr, &pty);
    uart_pty_connect(&pty, '0');

    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('C'), IOPORT_IRQ_PIN_ALL),
                            onAddress, NULL);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), 0), onAld, NULL);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), 3), onReset, NULL);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_INPUT),
                            onByteIn, NULL);
    avr_irq_register_notify(avr_io_getirq(avr, AVR_IOCTL_UART_GETIRQ('0'), UART_IRQ_OUTPUT),
                            onByteOut, NULL);
    lrqPin = avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), 1);
    sbyPin = avr_io_getirq(avr, AVR_IOCTL_IOPORT_GETIRQ('B'), 2);
    drive();

    signal(SIGTERM, onSignal);
    signal(SIGINT, onSignal);
    printf("pty %s\n", pty.port[0].slavename);
    fflush(stdout);
    while (!stopping) {
        const int state = avr_run(avr);
        if (state == cpu_Done || state == cpu_Crashed)
            break;
    }
    fprintf(logFile, "bytes %lu %lu\n", bytesIn, bytesOut);
    fclose(logFile);
    /* Not uart_pty_stop(): its thread may sit in a read that nothing ends. */
    _exit(0);
}
