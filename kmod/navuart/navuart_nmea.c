/*
 * Receive ring and GGA sentence search of the navuart driver (see navuart_nmea.h).
 */
#include "navuart_nmea.h"

#ifdef __KERNEL__
#include <linux/string.h>
#else
#include <string.h>
#endif

#define NAV_MASK (NAV_BUF_SIZE - 1u)
#define NAV_CR 13

const unsigned char speeds[NAV_SPEED_COUNT] = { 192, 48, 24, 12, 6, 3, 2, 1 };

static const char gga_tag[] = "$GPGGA";
#define GGA_TAG_LEN 6u

void nav_ring_init(struct nav_ring *r, unsigned char *mem)
{
	r->mem = mem;
	r->head = 0;
	r->count = 0;
}

void nav_ring_put(struct nav_ring *r, unsigned char byte)
{
	r->mem[r->head] = byte;
	r->head = (r->head + 1u) & NAV_MASK;
	if (r->count < NAV_BUF_SIZE)
		r->count++;
}

/* Byte i of the held bytes, 0 being the oldest. */
static unsigned char ring_at(const struct nav_ring *r, unsigned int i)
{
	return r->mem[(r->head - r->count + i) & NAV_MASK];
}

static void ring_empty(struct nav_ring *r)
{
	r->head = 0;
	r->count = 0;
}

int nav_divisor(unsigned int index)
{
	if (index >= NAV_SPEED_COUNT)
		return -1;
	return speeds[index];
}

int nav_checksum_ok(const char *sentence)
{
	static const char hex[] = "0123456789ABCDEF";
	const char *star = strchr(sentence, '*');
	const char *p;
	unsigned char sum = 0;

	if (!star || sentence[0] == '\0')
		return 0;
	for (p = sentence + 1; p < star; p++)
		sum ^= (unsigned char)*p;
	return star[1] == hex[sum >> 4] && star[1] != '\0' && star[2] == hex[sum & 15];
}

static int tag_at(const struct nav_ring *r, unsigned int p)
{
	unsigned int k;

	for (k = 0; k < GGA_TAG_LEN; k++)
		if (ring_at(r, p + k) != (unsigned char)gga_tag[k])
			return 0;
	return 1;
}

/*
 * Finds the newest "$GPGGA" whose carriage return has arrived and copies it, without the
 * carriage return and cut to NAV_SENTENCE_MAX - 1 characters, into `sentence`. Returns its
 * length, or 0 when there is none. One backward pass: the nearest carriage return after
 * each position is known when the position is reached, so noise of any kind costs at most
 * one look at each byte.
 */
static unsigned int find_latest(const struct nav_ring *r, char *sentence)
{
	unsigned int p, next_cr = r->count, len, k;

	if (r->count < GGA_TAG_LEN)
		return 0;
	for (p = r->count; p-- > 0;) {
		if (ring_at(r, p) == NAV_CR) {
			next_cr = p;
			continue;
		}
		if (p + GGA_TAG_LEN > r->count || next_cr == r->count || !tag_at(r, p))
			continue;
		/* The tag holds no carriage return, so next_cr lies past it. */
		len = next_cr - p;
		if (len > NAV_SENTENCE_MAX - 1u)
			len = NAV_SENTENCE_MAX - 1u;
		for (k = 0; k < len; k++)
			sentence[k] = (char)ring_at(r, p + k);
		sentence[len] = '\0';
		return len;
	}
	return 0;
}

unsigned int nav_latest_gga(struct nav_ring *r, int cs_check, unsigned char *answer)
{
	char sentence[NAV_SENTENCE_MAX];
	unsigned int len;

	memset(answer, 0, NAV_FIELDS_LEN);
	len = find_latest(r, sentence);
	if (len == 0) {
		answer[0] = NAV_ANSWER_NO_DATA;
		return 1;
	}
	if (cs_check && !nav_checksum_ok(sentence)) {
		ring_empty(r);
		answer[0] = NAV_ANSWER_BAD_CHECKSUM;
		return 1;
	}
	/* The delivered sentence stays readable at the start of the buffer memory. */
	memset(r->mem, 0, NAV_SENTENCE_MAX);
	memcpy(r->mem, sentence, len);
	if (len > GGA_TAG_LEN + 1u) {
		unsigned int n = len - (GGA_TAG_LEN + 1u);

		if (n > NAV_FIELDS_LEN - 1u)
			n = NAV_FIELDS_LEN - 1u;
		memcpy(answer, sentence + GGA_TAG_LEN + 1u, n);
	}
	ring_empty(r);
	return NAV_FIELDS_LEN;
}

unsigned int nav_command(struct nav_ring *r, int *cs_check, unsigned char cmd, unsigned char value,
			 unsigned char *answer, int *speed_index)
{
	switch (cmd) {
	case NAV_CMD_SET_SPEED:
		if (nav_divisor(value) >= 0)
			*speed_index = value;
		return 0;
	case NAV_CMD_CHECKSUM:
		*cs_check = value;
		return 0;
	case NAV_CMD_LATEST:
		return nav_latest_gga(r, *cs_check, answer);
	default:
		return 0;
	}
}
