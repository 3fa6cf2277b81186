#!/usr/bin/env python3
"""Cuts the runs of make-corpus.sh into seed inputs, one folder per fuzz target.

The seeds follow the targets' input layouts (fuzz/fuzz_support.h): a link header (mode byte,
16-bit sample count, clipped samples, trigger choice), then frames as a 16-bit length and the
frame's bytes; the file targets take 16-bit-length chunks of the files the monitor wrote."""
import glob, os, re, struct, sys

work, out = sys.argv[1], sys.argv[2]
pars_seed = sys.argv[3] if len(sys.argv) > 3 else ''

UDP, BLOCK, MEAS, DONE, RESTORE = 1, 2, 4, 8, 16


def frames(path):
    data = open(path, 'rb').read()
    i, res = 0, []
    while i + 2 <= len(data):
        n = struct.unpack('>H', data[i:i + 2])[0]
        res.append(data[i + 2:i + 2 + n])
        i += 2 + n
    return res


def chunk(b):
    b = b[:0xFFFF]
    return struct.pack('>H', len(b)) + b


def link_header(modes, samples):
    return bytes([modes]) + struct.pack('>H', samples - 1) + bytes([0, 0])


def write(target, name, data):
    os.makedirs(os.path.join(out, target), exist_ok=True)
    with open(os.path.join(out, target, name), 'wb') as f:
        f.write(data)


def profile_files(run):
    rads = sorted(glob.glob(os.path.join(work, run, 'dev/sda1/*.rad')))
    if not rads:
        sys.exit('make-corpus: the %s run stored no profile' % run)
    base = rads[-1][:-4]
    read = lambda ext: open(base + ext, 'rb').read() if os.path.exists(base + ext) else b''
    return read('.rad'), read('.add'), read('.mrk')


def samples_of(rad):
    m = re.search(rb'SAMPLES:\s*(\d+)', rad)
    return int(m.group(1)) if m else 512


def raw_frame(f):
    """A UDP-framed CU frame in the raw framing: the MACs, the protocol word, then the CU fields
    from the packet number on (the IPv4/UDP headers and link words dropped)."""
    return f[:12] + f[42:44] + f[54:]


def raw_packets(trace_bodies, payload=1400):
    """Measurement packets as a CU in raw framing sends them: one packet per trace, frames of
    `payload` bytes with pad count, last-frame flag and frame number."""
    res = []
    for pk, body in enumerate(trace_bodies, start=500):
        parts = [body[i:i + payload] for i in range(0, len(body), payload)] or [b'']
        for k, part in enumerate(parts, start=1):
            pad = (2 - len(part) % 2) % 2
            f = bytes(12) + struct.pack('>HHBBH', 0x5555, pk, 2, 0, 0) + part + bytes(pad)
            res.append(f + bytes([pad, 1 if k == len(parts) else 0]) + struct.pack('>H', k))
    return res


recorded = [f for f in frames(os.path.join(work, 'udp.rec')) if len(f) >= 60]
rad, add, mrk = profile_files('udp')
n = samples_of(rad)
trace_bodies = {}
for f in recorded:
    if f[56] == 2 and len(f) == 60 + 512 + 3:
        p = f[60:60 + 512]
        block, typ, trace, pad, part = struct.unpack('>I3xBIHH', p[:16])
        if typ == 2:
            trace_bodies.setdefault(trace, []).append((part, p[16:16 + 496 - min(pad, 496)]))
bodies = [b''.join(d for _, d in sorted(trace_bodies[t])) for t in sorted(trace_bodies)[1:40]]
runs = {'udp': recorded,
        'raw': [raw_frame(f) for f in recorded if f[56] != 2] + raw_packets(bodies)}

for run, udp in (('udp', True), ('raw', False)):
    fs = runs[run]
    base = 40 if udp else 0
    kind = lambda f: f[base + 16] if len(f) > base + 16 else 0
    data = [i for i, f in enumerate(fs) if kind(f) in (2, 4)]
    mode = UDP if udp else 0
    # Setting up: answers (and error reports) before the measurement.
    first = data[0] if data else len(fs)
    write('link_frames', run + '-setup', link_header(mode, n) + b''.join(chunk(f) for f in fs[:min(first, 80)]))
    # Measuring: runs of consecutive data frames, and the frames around the stop.
    meas_mode = mode | MEAS | (BLOCK if udp else 0)
    for k, at in enumerate(data[:1] + data[len(data) // 2:len(data) // 2 + 1]):
        write('link_frames', '%s-measure-%d' % (run, k),
              link_header(meas_mode, n) + b''.join(chunk(f) for f in fs[at:at + 40]))
    errors = [i for i, f in enumerate(fs) if kind(f) == 3]
    if errors:
        at = errors[0]
        write('link_frames', run + '-error', link_header(meas_mode, n) + b''.join(chunk(f) for f in fs[max(0, at - 8):at + 8]))
    if data:
        write('link_frames', run + '-stop', link_header(mode | DONE | RESTORE | (BLOCK if udp else 0), n) +
              b''.join(chunk(f) for f in fs[data[-1] - 10:data[-1] + 20]))

    # A trace's elements as reassembled in the ring.
    for k, body in enumerate(bodies[:3]):
        write('mea_elements', '%s-trace-%d' % (run, k), link_header(MEAS | (BLOCK if udp else 0), n) + bytes([k & 1]) + body)

    # GPS texts the CU sent, for the GGA parser and the serial driver's sentence search.
    for k, m in enumerate(re.finditer(rb'\$GPGGA,[^\r\n\0]*(\r\n)?', b''.join(fs))):
        if k >= 3:
            break
        write('gga', '%s-%d' % (run, k), m.group(0)[7:])
        write('navuart_nmea', '%s-%d' % (run, k), m.group(0) + b'\r\n\xff\xca\x0a')
        write('mea_elements', '%s-gps-%d' % (run, k),
              link_header(MEAS, n) + b'\0' + struct.pack('>HBB', len(m.group(0)) + 2, 132, 0) + m.group(0))

    if data:
        # A missed-block table as a stop leaves it for a continued measurement: its write
        # index, the pending profile's name and two ranges of blocks, then the blocks coming late.
        name = b'/mnt/hda1/DAT_0001.rd7'.ljust(100, b'\0')
        late = fs[data[len(data) // 2]:data[len(data) // 2] + 12]
        first = struct.unpack('>I', late[0][60:64])[0] if udp else 1
        table = struct.pack('<I', 2) + name + struct.pack('<6i', first, first + 3, 0, 0, 0, 0) + \
            struct.pack('<6i', first + 6, first + 8, 0, 0, 4096, 0)
        write('missed_files', run, link_header(mode | DONE | RESTORE | (BLOCK if udp else 0), n) +
              chunk(table) + chunk(bytes(64)) + b''.join(chunk(f) for f in late))

# The files the monitor wrote.
# 10.5 traces of the profile's samples: the repair finds a partial trace and a wrong count.
rd7 = n * 21 // 2
write('profile_headers', 'profile', chunk(rad) + chunk(add) + struct.pack('>HB', rd7 & 0xFFFF, 2) + mrk)
xml = os.path.join(work, 'udp', 'dev/sda3/r5_parameters.xml')
if os.path.exists(xml):
    write('xml_reader', 'r5_parameters.xml', open(xml, 'rb').read())
if pars_seed and os.path.exists(pars_seed):
    write('parameter_store', 'defaults', open(pars_seed, 'rb').read())
print('make-corpus: %d seeds in %s' % (sum(len(fs) for _, _, fs in os.walk(out)), out))
