#!/usr/bin/env python3
"""Cuts the runs of make-corpus.sh into seed inputs, one folder per fuzz target.

The seeds follow the targets' input layouts (fuzz/fuzz_support.h): a link header (mode byte,
16-bit sample count, clipped samples, trigger choice), then frames as a 16-bit length and the
frame's bytes; the file targets take 16-bit-length chunks of the files the monitor wrote."""
import glob, os, re, struct, sys

work, out = sys.argv[1], sys.argv[2]
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


for run, udp in (('udp', True), ('raw', False)):
    rad, add, mrk = profile_files(run)
    n = samples_of(rad)
    fs = [f for f in frames(os.path.join(work, run + '.rec')) if len(f) >= 20]
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

    # A trace's elements as reassembled in the ring: block payloads (UDP) or packet payloads.
    traces = {}
    for i in data:
        f = fs[i]
        if udp and len(f) == 60 + 512 + 3:
            p = f[60:60 + 512]
            block, typ, trace, pad, part = struct.unpack('>I3xBIHH', p[:16])
            if typ == 2:
                traces.setdefault(trace, []).append((part, p[16:16 + 496 - min(pad, 496)]))
        elif not udp:
            traces.setdefault(len(traces) // 1, []).append((0, f[20:len(f) - 4]))
    for k, t in enumerate(sorted(traces)[1:4]):
        body = b''.join(d for _, d in sorted(traces[t]))
        write('mea_elements', '%s-trace-%d' % (run, k), link_header(MEAS, n) + bytes([k & 1]) + body)

    # GPS texts the CU sent, for the GGA parser and the serial driver's sentence search.
    for k, m in enumerate(re.finditer(rb'\$GPGGA,[^\r\n\0]*(\r\n)?', b''.join(fs))):
        if k >= 3:
            break
        write('gga', '%s-%d' % (run, k), m.group(0)[7:])
        write('navuart_nmea', '%s-%d' % (run, k), m.group(0) + b'\r\n\xff\xca\x0a')
        write('mea_elements', '%s-gps-%d' % (run, k),
              link_header(MEAS, n) + b'\0' + struct.pack('>HBB', len(m.group(0)) + 2, 132, 0) + m.group(0))

    # The files the monitor wrote.
    write('profile_headers', run, chunk(rad) + chunk(add) + mrk)
    xml = os.path.join(work, run, 'dev/sda3/r5_parameters.xml')
    if os.path.exists(xml):
        write('xml_reader', run, open(xml, 'rb').read())
    pars = os.path.join(work, run, 'dev/sda2/root/pars')
    if os.path.exists(pars):
        write('parameter_store', run, open(pars, 'rb').read())
    mbf = os.path.join(work, run, 'dev/sda1/missed_data.mbf')
    trf = os.path.join(work, run, 'dev/sda1/missed_data.trf')
    if os.path.exists(mbf) and data:
        # The table's head and its first entries (the rest counts as free), then late blocks.
        table = open(mbf, 'rb').read()[:4 + 100 + 24 * 32]
        flags = open(trf, 'rb').read()[:1024] if os.path.exists(trf) else b''
        write('missed_files', run, link_header(mode | DONE | RESTORE | (BLOCK if udp else 0), n) +
              chunk(table) + chunk(flags) + b''.join(chunk(f) for f in fs[data[-1] - 20:data[-1]]))
print('make-corpus: %d seeds in %s' % (sum(len(fs) for _, _, fs in os.walk(out)), out))
