/*
 * The receive buffer and the sentence logic of the navuart GPS driver, in plain C without
 * kernel calls, so that the same file is built into the module and into a host test.
 *
 * The buffer is a true ring over the 64 KiB the driver allocates: the interrupt handler
 * appends each received byte, overwriting the oldest once it is full, and the newest
 * complete "$GPGGA" sentence is always found, also one that straddles the wrap point.
 * Every delivered sentence and every checksum failure empties the ring, so a sentence is
 * handed out at most once; the no-data answer leaves it as it is.
 *
 * The caller serialises all calls (the module holds its spinlock, with interrupts off).
 */
#ifndef NAVUART_NMEA_H
#define NAVUART_NMEA_H

#ifdef __KERNEL__
#include <linux/types.h>
#else
#include <stddef.h>
#endif

#ifdef __cplusplus
extern "C" {
#endif

#define NAV_BUF_SIZE 65536u /* 16 pages; a power of two */
#define NAV_SENTENCE_MAX 255u /* sentence buffer, with its terminating zero */
#define NAV_FIELDS_LEN 100u /* bytes handed to the program: the fields after "$GPGGA," */

/* Device request commands (the request's first byte). */
#define NAV_CMD_SET_SPEED 200
#define NAV_CMD_LATEST 202
#define NAV_CMD_CHECKSUM 204

/* First byte of the one-byte answers to NAV_CMD_LATEST. */
#define NAV_ANSWER_NO_DATA 0
#define NAV_ANSWER_BAD_CHECKSUM 1

#define NAV_SPEED_COUNT 8
/* UART divisors for a 1.8432 MHz clock: 600, 2400, 4800, 9600, 19200, 38400, 57600, 115200. */
extern const unsigned char speeds[NAV_SPEED_COUNT];

struct nav_ring {
	unsigned char *mem; /* NAV_BUF_SIZE bytes */
	unsigned int head; /* where the next received byte goes */
	unsigned int count; /* bytes held: the newest `count` bytes before head */
};

void nav_ring_init(struct nav_ring *r, unsigned char *mem);
/* One received byte (interrupt handler). */
void nav_ring_put(struct nav_ring *r, unsigned char byte);

/*
 * The UART divisor for a speed index, or -1 for an index outside the table (the speed is
 * then left as it is).
 */
int nav_divisor(unsigned int index);

/*
 * Checks the NMEA checksum of a zero-terminated sentence "$...*HH": the XOR of every
 * character after '$' up to '*', as two upper-case hex digits. 0 also when there is no '*'.
 */
int nav_checksum_ok(const char *sentence);

/*
 * Command NAV_CMD_LATEST: the newest complete "$GPGGA" sentence (one whose carriage return
 * has arrived). Fills `answer` (NAV_FIELDS_LEN bytes) and returns how many of them go to the
 * program: NAV_FIELDS_LEN with the zero-terminated fields, or 1 with a single
 * NAV_ANSWER_NO_DATA / NAV_ANSWER_BAD_CHECKSUM byte. On delivery the sentence is also left,
 * zero-padded to NAV_SENTENCE_MAX, at the start of the buffer memory (what read() shows).
 */
unsigned int nav_latest_gga(struct nav_ring *r, int cs_check, unsigned char *answer);

/*
 * One device request {cmd, value}. Returns the number of `answer` bytes for the program
 * (0 when the command writes nothing back). *speed_index is set to the new speed index when
 * the UART must be reprogrammed (command 200 with a valid index), else left untouched.
 */
unsigned int nav_command(struct nav_ring *r, int *cs_check, unsigned char cmd, unsigned char value,
			 unsigned char *answer, int *speed_index);

#ifdef __cplusplus
}
#endif

#endif
