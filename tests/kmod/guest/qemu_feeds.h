/*
 * What the qemu test feeds into the emulated COM1 at each step, and what the guest's probe
 * expects back. Shared by the host side (qemu_navuart_test.cpp) and the guest's probe.
 * Checksums are those of the sentences as written.
 */
#ifndef QEMU_FEEDS_H
#define QEMU_FEEDS_H

/* Step 1: noise, another sentence, then a good GGA. */
#define FEED1_FIELDS "123519,4807.038,N,01131.000,E,1,08,0.9,545.4,M,46.9,M,,*47"
#define FEED1 "\x01\x02noise$GPGG\r\n$GPRMC,123519,A,4807.038,N,01131.000,E,022.4,084.4,230394,003.1,W*6A\r\n" \
	"$GPGGA," FEED1_FIELDS "\r\n"
/* Step 2: a GGA with a wrong checksum (checking on). */
#define FEED2 "$GPGGA,123520,4807.040,N,01131.002,E,1,08,0.9,545.4,M,46.9,M,,*00\r\n"
/* Step 3 (after switching to 115200 baud): a complete GGA, then one still arriving. */
#define FEED3_FIELDS "123521,4807.042,N,01131.004,E,2,09,0.8,545.6,M,46.9,M,,*44"
#define FEED3 "$GPGGA," FEED3_FIELDS "\r\n$GPGGA,123522,4807.0"
/* Step 4: more than the whole buffer of noise (FEED4_NOISE bytes of 'x'), then a GGA. */
#define FEED4_NOISE 70000
#define FEED4_FIELDS "123523,4807.044,N,01131.006,E,1,07,1.1,545.9,M,46.9,M,,*48"
#define FEED4_TAIL "$GPGGA," FEED4_FIELDS "\r\n"

#endif
