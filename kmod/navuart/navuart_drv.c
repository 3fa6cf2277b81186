// SPDX-License-Identifier: GPL-2.0
/*
 * navuart: the GPS receiver on the first PC serial port (I/O 0x3F8, IRQ 4) as the character
 * device "/dev/navuart" (major 250). Every received byte goes into a 64 KiB ring; one ioctl
 * request {command, value} sets the speed, switches checksum checking, or hands over the
 * fields of the newest complete "$GPGGA" sentence. The sentence logic is in navuart_nmea.c.
 *
 * Masking and acknowledging the interrupt at the interrupt controller is the kernel's
 * (the irq chip of IRQ 4); this driver keeps the UART's own interrupt enable and OUT2 gate
 * and serialises the ring between the handler and ioctl with a spinlock.
 */
#include <linux/module.h>
#include <linux/kernel.h>
#include <linux/fs.h>
#include <linux/ioport.h>
#include <linux/interrupt.h>
#include <linux/slab.h>
#include <linux/gfp.h>
#include <linux/spinlock.h>
#include <linux/uaccess.h>
#include <linux/io.h>

#include "navuart_nmea.h"

MODULE_LICENSE("GPL");
MODULE_DESCRIPTION("GPS receiver on the first serial port (GGA sentences through ioctl)");

#define NAVUART_MAJOR 250
#define NAVUART_NAME "navuart"
#define NAVUART_REQUEST 0x40016C1Bu /* _IOW('l', 27, char) */

#define COM_BASE 0x3F8
#define COM_PORTS 8
#define COM_IRQ 4

/* UART registers, offsets from COM_BASE. */
#define UART_RBR_DLL 0 /* receive / divisor low */
#define UART_IER_DLM 1 /* interrupt enable / divisor high */
#define UART_IIR_FCR 2 /* interrupt identification / FIFO control */
#define UART_LCR_REG 3 /* line control */
#define UART_MCR_REG 4 /* modem control */

#define MCR_DTR_RTS_OUT2 0x0B
#define MCR_OUT2 0x08 /* routes the UART interrupt to the interrupt controller */
#define IER_RX_DATA 0x01
#define IIR_RX_DATA 2

#define NAV_BUF_ORDER 4 /* 16 pages */

struct Caddrmem {
	unsigned char *pStart; /* the receive buffer */
	struct nav_ring ring; /* where the next byte goes and what is held */
};

/*
 * The device node "/dev/navuart" is made with major 250. On kernels whose own drivers hold
 * 250 (it lies in the range given out dynamically) load with major=N, or major=0 for a free
 * one; the number in use is printed and listed in /proc/devices.
 */
static int major = NAVUART_MAJOR;
module_param(major, int, 0444);
MODULE_PARM_DESC(major, "major number of /dev/navuart (default 250; 0 picks a free one)");

static int major_in_use;
static int irq_no;
static struct Caddrmem *addrmem;
static int cs_check = 1;
static DEFINE_SPINLOCK(nav_lock);

static void interrupt_enable(void)
{
	outb(inb(COM_BASE + UART_MCR_REG) | MCR_OUT2, COM_BASE + UART_MCR_REG);
	outb(IER_RX_DATA, COM_BASE + UART_IER_DLM);
}

static void interrupt_mask(void)
{
	outb(0, COM_BASE + UART_IER_DLM);
	outb(inb(COM_BASE + UART_MCR_REG) & ~MCR_OUT2, COM_BASE + UART_MCR_REG);
}

static void init_com(unsigned int index)
{
	int divisor = nav_divisor(index);

	if (divisor < 0)
		return;
	outb(0, COM_BASE + UART_IER_DLM);
	outb(0x80, COM_BASE + UART_LCR_REG); /* divisor latch */
	outb((unsigned char)divisor, COM_BASE + UART_RBR_DLL);
	outb(0, COM_BASE + UART_IER_DLM);
	outb(0x03, COM_BASE + UART_LCR_REG); /* 8 data bits, no parity, 1 stop bit */
	outb(0, COM_BASE + UART_IIR_FCR); /* FIFO off: one byte per interrupt */
	interrupt_enable();
	outb(inb(COM_BASE + UART_MCR_REG) | MCR_DTR_RTS_OUT2, COM_BASE + UART_MCR_REG);
}

static irqreturn_t InterruptHandler2(int irq, void *device)
{
	struct Caddrmem *a = device;

	if (a && a->pStart && irq == irq_no) {
		spin_lock(&nav_lock);
		if (((inb(COM_BASE + UART_IIR_FCR) & 0x07) >> 1) == IIR_RX_DATA)
			nav_ring_put(&a->ring, inb(COM_BASE + UART_RBR_DLL));
		spin_unlock(&nav_lock);
	}
	return IRQ_HANDLED;
}

static void free_record(struct Caddrmem *a)
{
	if (!a)
		return;
	if (a->pStart)
		free_pages((unsigned long)a->pStart, NAV_BUF_ORDER);
	kfree(a);
}

static int drv_open(struct inode *inode, struct file *file)
{
	struct Caddrmem *a;
	unsigned long flags;
	int r;

	printk(KERN_ALERT "navuartr: open\n");
	a = kzalloc(sizeof(*a), GFP_KERNEL);
	if (!a)
		return -ENOMEM;
	a->pStart = (unsigned char *)__get_free_pages(GFP_KERNEL, NAV_BUF_ORDER);
	if (!a->pStart) {
		kfree(a);
		return -ENOMEM;
	}
	nav_ring_init(&a->ring, a->pStart);
	irq_no = COM_IRQ;
	/* One opener at a time: a second open finds the IRQ taken and leaves the first alone. */
	r = request_irq(COM_IRQ, InterruptHandler2, 0, NAVUART_NAME, a);
	if (r) {
		if (r == -EBUSY)
			printk(KERN_ALERT "Interrupt handler can't be installed! Exiting ...\n");
		free_record(a);
		return r;
	}
	printk(KERN_ALERT "Interrupt handler is installed!\n");
	spin_lock_irqsave(&nav_lock, flags);
	addrmem = a;
	file->private_data = a;
	init_com(2); /* 4800 baud */
	spin_unlock_irqrestore(&nav_lock, flags);
	return 0;
}

static int drv_close(struct inode *inode, struct file *file)
{
	struct Caddrmem *a = file->private_data;
	unsigned long flags;

	if (!a)
		return 0;
	spin_lock_irqsave(&nav_lock, flags);
	interrupt_mask();
	if (addrmem == a)
		addrmem = NULL;
	file->private_data = NULL;
	spin_unlock_irqrestore(&nav_lock, flags);
	free_irq(COM_IRQ, a); /* waits for a running handler */
	free_record(a);
	return 0;
}

/* The raw buffer memory from its start; after a delivery it begins with that sentence. */
static ssize_t drv_read(struct file *file, char __user *buffer, size_t count, loff_t *ppos)
{
	struct Caddrmem *a = file->private_data;

	if (!a)
		return -ENODEV;
	return simple_read_from_buffer(buffer, count, ppos, a->pStart, NAV_BUF_SIZE);
}

/* Up to 10 bytes into the start of the buffer memory. */
static ssize_t drv_write(struct file *file, const char __user *buffer, size_t count, loff_t *ppos)
{
	struct Caddrmem *a = file->private_data;
	unsigned char bytes[10];
	unsigned long flags;
	size_t n = count < sizeof(bytes) ? count : sizeof(bytes);

	if (!a)
		return -ENODEV;
	if (copy_from_user(bytes, buffer, n))
		return -EFAULT;
	spin_lock_irqsave(&nav_lock, flags);
	memcpy(a->pStart, bytes, n);
	spin_unlock_irqrestore(&nav_lock, flags);
	return n;
}

static long drv_ioctl(struct file *file, unsigned int request, unsigned long argument)
{
	struct Caddrmem *a = file->private_data;
	unsigned char cmd[2];
	unsigned char answer[NAV_FIELDS_LEN];
	unsigned int n;
	unsigned long flags;
	int speed = -1;

	if (!a || !addrmem) {
		printk(KERN_ALERT "GPS:ERROR 1!\n");
		return -ENODEV;
	}
	if (request != NAVUART_REQUEST)
		return 0;
	if (copy_from_user(cmd, (void __user *)argument, sizeof(cmd)))
		return -EFAULT;

	spin_lock_irqsave(&nav_lock, flags);
	interrupt_mask();
	n = nav_command(&a->ring, &cs_check, cmd[0], cmd[1], answer, &speed);
	if (speed >= 0)
		init_com(speed);
	interrupt_enable();
	spin_unlock_irqrestore(&nav_lock, flags);

	if (n && copy_to_user((void __user *)argument, answer, n))
		return -EFAULT;
	return 0;
}

static const struct file_operations drv_fops = {
	.owner = THIS_MODULE,
	.open = drv_open,
	.release = drv_close,
	.read = drv_read,
	.write = drv_write,
	.unlocked_ioctl = drv_ioctl,
	.compat_ioctl = compat_ptr_ioctl, /* the monitor program is a 32-bit process */
	.llseek = default_llseek,
};

static int __init navuart_init(void)
{
	int r;

	printk(KERN_ALERT "GPS driver ver. 3.003\n");
	printk(KERN_ALERT "requesting major number %d\n", major);
	r = register_chrdev(major, NAVUART_NAME, &drv_fops);
	if (r < 0) {
		printk(KERN_ALERT "Major number error! errno: %d\n", r);
		return r;
	}
	printk(KERN_ALERT "Major number is %d\n", r);
	major_in_use = major ? major : r;
	if (!request_region(COM_BASE, COM_PORTS, NAVUART_NAME)) {
		printk(KERN_ALERT "Com Port is not free!\n");
		unregister_chrdev(major_in_use, NAVUART_NAME);
		return -EBUSY;
	}
	printk(KERN_ALERT "Com Port is free!\n");
	return 0;
}

static void __exit navuart_exit(void)
{
	printk(KERN_ALERT "GPS driver has finished its work!\n");
	release_region(COM_BASE, COM_PORTS);
	unregister_chrdev(major_in_use, NAVUART_NAME);
}

/* Exported as the module's init_module and cleanup_module. */
module_init(navuart_init);
module_exit(navuart_exit);
