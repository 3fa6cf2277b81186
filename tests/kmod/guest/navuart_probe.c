/*
 * The guest side of the qemu test of the navuart module, run by the initramfs's /init.
 *
 *   navuart_probe release TTY   the kernel's own serial driver lets go of that port (its
 *                               type becomes "unknown", which frees its I/O region), so the
 *                               module can claim COM1
 *   navuart_probe feed N        writes feed N to standard output (the host side runs the
 *                               same static binary to feed COM1)
 *   navuart_probe run           opens /dev/navuart and goes through the steps of
 *                               qemu_feeds.h, asking the host for each feed with a line
 *                               "NAVUART-FEED n" and reporting "NAVUART-CHECK name ok|FAIL"
 *
 * Statically linked: the initramfs holds nothing but busybox, the module and this program.
 */
#include "qemu_feeds.h"

#include <errno.h>
#include <fcntl.h>
#include <linux/serial.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <sys/io.h>
#include <sys/ioctl.h>
#include <time.h>
#include <unistd.h>

#define NAVUART_REQUEST 0x40016C1Bu

static int failures;

static void check(const char *name, int ok, const char *detail)
{
	printf("NAVUART-CHECK %s %s%s%s\n", name, ok ? "ok" : "FAIL", detail ? " " : "", detail ? detail : "");
	fflush(stdout);
	if (!ok)
		failures++;
}

static int request(int fd, unsigned char cmd, unsigned char value, unsigned char *buf)
{
	memset(buf, 0xEE, 255);
	buf[0] = cmd;
	buf[1] = value;
	return ioctl(fd, NAVUART_REQUEST, buf);
}

static void ask_feed(int n)
{
	printf("NAVUART-FEED %d\n", n);
	fflush(stdout);
}

/*
 * Polls command 202 until the answer is not "no data". An emulated guest on a loaded host
 * runs at any speed, so there is no bound here: the host's time-out ends a run that hangs.
 */
static int wait_answer(int fd, unsigned char *buf)
{
	struct timespec t = { 0, 20 * 1000 * 1000 };

	for (;;) {
		if (request(fd, 202, 10, buf) != 0)
			return -1;
		if (buf[0] != 0)
			return 0;
		nanosleep(&t, NULL);
	}
}

/*
 * The UART's divisor, read back through the divisor latch while the line is idle (the
 * module's handler would take the latch for data if a byte came in meanwhile).
 */
static int com1_divisor(void)
{
	int lcr, d;

	if (ioperm(0x3F8, 8, 1) != 0)
		return -1;
	lcr = inb(0x3FB);
	outb(lcr | 0x80, 0x3FB);
	d = inb(0x3F8) | inb(0x3F9) << 8;
	outb(lcr, 0x3FB);
	return d;
}

static int release_port(const char *tty)
{
	struct serial_struct ss;
	int fd = open(tty, O_RDWR | O_NONBLOCK | O_NOCTTY);

	if (fd < 0 || ioctl(fd, TIOCGSERIAL, &ss) != 0) {
		printf("NAVUART-CHECK release FAIL %s: %s\n", tty, strerror(errno));
		return 1;
	}
	ss.type = PORT_UNKNOWN;
	if (ioctl(fd, TIOCSSERIAL, &ss) != 0) {
		printf("NAVUART-CHECK release FAIL TIOCSSERIAL: %s\n", strerror(errno));
		return 1;
	}
	close(fd);
	printf("NAVUART-CHECK release ok\n");
	return 0;
}

static int run(void)
{
	unsigned char buf[255];
	char text[256];
	int fd, fd2, r;

	fd = open("/dev/navuart", O_RDWR);
	check("open", fd >= 0, fd < 0 ? strerror(errno) : NULL);
	if (fd < 0)
		return 1;
	fd2 = open("/dev/navuart", O_RDWR);
	check("second-open-refused", fd2 < 0 && errno == EBUSY, NULL);
	if (fd2 >= 0)
		close(fd2);

	snprintf(text, sizeof text, "divisor %d", com1_divisor());
	check("open-at-4800", strcmp(text, "divisor 24") == 0, text);
	r = request(fd, 202, 10, buf);
	check("empty-no-data", r == 0 && buf[0] == 0 && buf[1] == 10, NULL);

	r = request(fd, 204, 1, buf);
	check("checksum-on", r == 0, NULL);
	ask_feed(1);
	r = wait_answer(fd, buf);
	snprintf(text, sizeof text, "%.99s", (const char *)buf);
	check("fields", r == 0 && strcmp(text, FEED1_FIELDS) == 0, text);
	r = request(fd, 202, 10, buf);
	check("delivered-once", r == 0 && buf[0] == 0, NULL);

	ask_feed(2);
	r = wait_answer(fd, buf);
	check("bad-checksum-answers-1", r == 0 && buf[0] == 1 && buf[1] == 10, NULL);
	r = request(fd, 202, 10, buf);
	check("bad-checksum-empties", r == 0 && buf[0] == 0, NULL);

	r = request(fd, 200, 7, buf);
	snprintf(text, sizeof text, "divisor %d", com1_divisor());
	check("speed-115200", r == 0 && strcmp(text, "divisor 1") == 0, text);
	r = request(fd, 200, 8, buf);
	snprintf(text, sizeof text, "divisor %d", com1_divisor());
	check("unknown-speed-ignored", r == 0 && strcmp(text, "divisor 1") == 0, text);
	ask_feed(3);
	r = wait_answer(fd, buf);
	snprintf(text, sizeof text, "%.99s", (const char *)buf);
	check("incomplete-skipped", r == 0 && strcmp(text, FEED3_FIELDS) == 0, text);

	ask_feed(4);
	r = wait_answer(fd, buf);
	snprintf(text, sizeof text, "%.99s", (const char *)buf);
	check("after-wrap", r == 0 && strcmp(text, FEED4_FIELDS) == 0, text);

	memset(text, 0, sizeof text);
	r = (int)read(fd, text, sizeof text - 1);
	check("read-shows-sentence", r == (int)sizeof text - 1 && strcmp(text, "$GPGGA," FEED4_FIELDS) == 0, text);

	r = ioctl(fd, 0x1234, buf);
	check("other-request-ignored", r == 0, NULL);
	close(fd);
	return failures != 0;
}

static int feed(int n)
{
	static const char noise[1024] = { [0 ... 1023] = 'x' };
	int left;

	switch (n) {
	case 1:
		fputs(FEED1, stdout);
		return 0;
	case 2:
		fputs(FEED2, stdout);
		return 0;
	case 3:
		fputs(FEED3, stdout);
		return 0;
	case 4:
		for (left = FEED4_NOISE; left > 0; left -= (int)sizeof noise)
			fwrite(noise, 1, left < (int)sizeof noise ? (size_t)left : sizeof noise, stdout);
		fputs(FEED4_TAIL, stdout);
		return 0;
	default:
		return 2;
	}
}

int main(int argc, char **argv)
{
	if (argc == 3 && strcmp(argv[1], "feed") == 0)
		return feed(atoi(argv[2]));
	setvbuf(stdout, NULL, _IOLBF, 0);
	if (argc == 3 && strcmp(argv[1], "release") == 0)
		return release_port(argv[2]);
	if (argc == 2 && strcmp(argv[1], "run") == 0) {
		int r = run();

		printf("NAVUART-PROBE %s failures=%d\n", r ? "FAIL" : "PASS", failures);
		return r;
	}
	fprintf(stderr, "usage: navuart_probe release TTY | run\n");
	return 2;
}
