"""The game's sounds, synthesised: 8-bit mono PCM at 22050 Hz.

Each sound must fill its file exactly (the sizes are fixed), so a sound is
made for a given total file size: 44 bytes of header and one byte a sample.
"""
import math
import random
import struct

RATE = 22050
HEADER = 44


def wave_file(samples):
    """A RIFF/WAVE file of unsigned 8-bit samples."""
    data = bytes(samples)
    fmt = struct.pack("<HHIIHH", 1, 1, RATE, RATE, 1, 8)
    body = b"WAVE" + b"fmt " + struct.pack("<I", len(fmt)) + fmt + b"data" + struct.pack("<I", len(data)) + data
    if len(data) % 2:
        body += b"\0"
    return b"RIFF" + struct.pack("<I", len(body)) + body


def to_bytes(x, seed):
    """Normalises to a peak of 0.92, fades the ends and quantises with a
    little triangular dither so quiet tails do not buzz."""
    peak = max(1e-9, max(abs(v) for v in x))
    g = 0.92 / peak
    n = len(x)
    rnd = random.Random(seed)
    fade_in = int(0.002 * RATE)
    fade_out = int(0.03 * RATE)
    out = []
    for i, v in enumerate(x):
        k = g
        if i < fade_in:
            k *= i / fade_in
        if i >= n - fade_out:
            k *= (n - 1 - i) / fade_out
        s = 128.0 + 127.0 * v * k + (rnd.random() - rnd.random()) * 0.5
        out.append(max(0, min(255, int(round(s)))))
    out[-1] = 128
    return out


def _samples(size):
    return size - HEADER


class Osc:
    """A sine oscillator whose frequency may change every sample."""

    def __init__(self):
        self.phase = 0.0

    def __call__(self, freq):
        self.phase += 2.0 * math.pi * freq / RATE
        return math.sin(self.phase)


class SVF:
    """A state-variable filter; returns (low, band, high) per sample."""

    def __init__(self, q=0.7):
        self.low = self.band = 0.0
        self.damp = 1.0 / q

    def __call__(self, x, cutoff):
        f = 2.0 * math.sin(math.pi * min(cutoff, RATE / 6.0) / RATE)
        self.low += f * self.band
        high = x - self.low - self.damp * self.band
        self.band += f * high
        return self.low, self.band, high


def sweep(t, t0, t1, f0, f1):
    """Exponential glide from f0 at t0 to f1 at t1, held outside."""
    k = min(1.0, max(0.0, (t - t0) / (t1 - t0)))
    return f0 * (f1 / f0) ** k


def echo(x, delay_s, gain, damp=0.35):
    """A feedback echo with a darkening tail, as in a long stone corridor."""
    d = int(delay_s * RATE)
    buf = list(x)
    lp = 0.0
    for i in range(d, len(buf)):
        lp += damp * (buf[i - d] - lp)
        buf[i] += gain * lp
    return buf


# ---------------------------------------------------------------- the sounds
def shot(size):
    """A blaster shot: a falling zap over a hot noise burst and a thump, echoing."""
    n = _samples(size)
    rnd = random.Random(141)
    zap, thump = Osc(), Osc()
    noise_f = SVF(0.8)
    x = []
    for i in range(n):
        t = i / RATE
        z = zap(sweep(t, 0.0, 0.2, 2200.0, 170.0))
        z = math.tanh(2.5 * z) * math.exp(-t / 0.075) * 0.55
        lo, _, _ = noise_f(rnd.uniform(-1, 1), sweep(t, 0.0, 0.15, 7000.0, 250.0))
        burst = lo * math.exp(-t / 0.05) * 1.1
        th = thump(sweep(t, 0.0, 0.12, 130.0, 42.0)) * math.exp(-t / 0.08) * 0.9
        x.append(z + burst + th)
    x = echo(x, 0.093, 0.5)
    return wave_file(to_bytes(x, 1410))


def hit(size):
    """An enemy hit: a wet splat, a squeal that falls away, and a sparkle for the points."""
    n = _samples(size)
    rnd = random.Random(142)
    thud, voice, vib = Osc(), Osc(), Osc()
    splat_f = SVF(2.0)
    formant = SVF(3.0)
    pings = [(0.58, 1568.0), (0.65, 2093.0), (0.72, 2637.0)]
    ping_osc = [Osc() for _ in pings]
    x = []
    for i in range(n):
        t = i / RATE
        _, band, _ = splat_f(rnd.uniform(-1, 1), sweep(t, 0.0, 0.08, 1600.0, 500.0))
        splat = band * math.exp(-t / 0.045) * 1.6
        th = thud(sweep(t, 0.0, 0.1, 110.0, 50.0)) * math.exp(-t / 0.06)
        # The squeal: a buzzy voice through a moving formant, with a fast warble.
        f = 700.0 + 500.0 * math.sin(math.pi * min(1.0, t / 0.12)) if t < 0.12 else sweep(t, 0.12, 0.55, 1100.0, 210.0)
        f *= 1.0 + 0.07 * vib(17.0)
        v = voice(f)
        buzz = math.tanh(4.0 * v)
        lo, bd, _ = formant(buzz, 1.8 * f + 400.0)
        env = min(1.0, max(0.0, (t - 0.02) / 0.03)) * math.exp(-max(0.0, t - 0.1) / 0.16)
        sq = (bd * 0.7 + lo * 0.3) * env * 0.9
        sp = 0.0
        for (t0, pf), o in zip(pings, ping_osc):
            if t >= t0:
                sp += o(pf) * math.exp(-(t - t0) / 0.06) * 0.3
        x.append(splat + th + sq + sp)
    return wave_file(to_bytes(x, 1420))


def caught(size):
    """Caught: a snapping bite, a growl, then a sad falling two-note wail."""
    n = _samples(size)
    rnd = random.Random(156)
    bite_f = SVF(2.5)
    growl_f = SVF(1.2)
    tone, tone2, vib = Osc(), Osc(), Osc()
    x = []
    for i in range(n):
        t = i / RATE
        _, band, _ = bite_f(rnd.uniform(-1, 1), 1700.0)
        bite = band * (math.exp(-t / 0.018) + (math.exp(-(t - 0.06) / 0.02) if t > 0.06 else 0.0)) * 1.4
        lo, _, _ = growl_f(rnd.uniform(-1, 1), 420.0)
        growl = lo * (0.5 + 0.5 * math.sin(2 * math.pi * 32.0 * t)) * math.exp(-t / 0.14) * 2.2
        if t < 0.26:
            f = 392.0
            env = min(1.0, max(0.0, (t - 0.04) / 0.02)) * (1.0 if t < 0.22 else (0.26 - t) / 0.04)
        else:
            f = sweep(t, 0.3, 0.74, 330.0, 165.0)
            env = min(1.0, (t - 0.26) / 0.02) * math.exp(-max(0.0, t - 0.3) / 0.35)
        f *= 1.0 + 0.025 * vib(6.0)
        w = math.tanh(2.2 * tone(f)) * 0.6 + 0.25 * tone2(f * 0.5)
        x.append(bite + growl + w * env * 0.8)
    return wave_file(to_bytes(x, 1560))


def gun_pickup(size):
    """Picking up a gun: the click-clack of a loaded cell and a short charge-up."""
    n = _samples(size)
    rnd = random.Random(160)
    f1, f2 = SVF(6.0), SVF(4.0)
    thump, ping, blip = Osc(), Osc(), Osc()
    x = []
    for i in range(n):
        t = i / RATE
        _, b1, _ = f1(rnd.uniform(-1, 1) * (1.0 if t < 0.006 else 0.0), 3100.0)
        click = b1 * 2.5 + ping(2350.0) * math.exp(-t / 0.012) * 0.5
        t2 = t - 0.085
        clack = 0.0
        if t2 >= 0:
            _, b2, _ = f2(rnd.uniform(-1, 1) * (1.0 if t2 < 0.01 else 0.0), 1250.0)
            clack = b2 * 2.4 + thump(160.0) * math.exp(-t2 / 0.03) * 0.8
        charge = blip(sweep(t, 0.02, 0.17, 500.0, 1500.0)) * 0.18 * min(1.0, t / 0.02) * (1.0 - t / (n / RATE))
        x.append(click + clack + charge)
    return wave_file(to_bytes(x, 1600))


def dot(size):
    """Eating a dot: a quick gulp and a bright two-note bell."""
    n = _samples(size)
    gulp = Osc()
    notes = [(0.0, 1318.5, 0.05), (0.055, 1975.5, 0.12)]
    oscs = [(Osc(), Osc(), Osc()) for _ in notes]
    x = []
    for i in range(n):
        t = i / RATE
        s = gulp(sweep(t, 0.0, 0.035, 280.0, 760.0)) * (math.exp(-t / 0.015) if t < 0.06 else 0.0) * 0.5
        for (t0, f, decay), (a, b, c) in zip(notes, oscs):
            if t >= t0:
                k = t - t0
                env = min(1.0, k / 0.003) * math.exp(-k / decay)
                s += (a(f) + 0.3 * b(f * 2.0) * math.exp(-k / 0.03) + 0.12 * c(f * 3.01)) * env * 0.45
        x.append(s)
    return wave_file(to_bytes(x, 1610))


SOUNDS = {"shot.wav": shot, "hit.wav": hit, "caught.wav": caught, "gun_pickup.wav": gun_pickup, "dot.wav": dot}
