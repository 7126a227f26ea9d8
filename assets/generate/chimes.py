"""The three sound cues: soft bell tones written as 22050 Hz mono 16-bit wave files."""

import math
import struct
import wave

RATE = 22050


def _bell(frequency, start, length, level, samples):
    """Adds a bell-like tone (a few decaying partials) into samples from second start."""
    partials = ((1.0, 1.0, 5.0), (2.0, 0.35, 8.0), (3.0, 0.12, 12.0))
    first = int(start * RATE)
    count = int(length * RATE)
    attack = int(0.004 * RATE)
    for i in range(count):
        if first + i >= len(samples):
            break
        t = i / RATE
        value = 0.0
        for ratio, weight, decay in partials:
            value += weight * math.exp(-decay * t) * math.sin(2 * math.pi * frequency * ratio * t)
        ramp = min(1.0, i / attack) if attack else 1.0
        tail = min(1.0, (count - i) / (0.02 * RATE))  # fade the last 20 ms to silence
        samples[first + i] += level * ramp * tail * value


def _beep(frequency, start, length, level, samples):
    """Adds a plain tone with short fades, for a signal rather than a chime."""
    first = int(start * RATE)
    count = int(length * RATE)
    fade = int(0.008 * RATE)
    for i in range(count):
        t = i / RATE
        envelope = min(1.0, i / fade, (count - i) / fade)
        samples[first + i] += level * envelope * math.sin(2 * math.pi * frequency * t)


def _write(path, samples):
    peak = max(1e-9, max(abs(s) for s in samples))
    scale = min(1.0, 0.9 / peak)
    frames = b"".join(struct.pack("<h", int(round(s * scale * 32767))) for s in samples)
    with wave.open(path, "wb") as out:
        out.setnchannels(1)
        out.setsampwidth(2)
        out.setframerate(RATE)
        out.writeframes(frames)


def pinpon(path):
    """Two tones, high then lower: the friendly "pin-pon" of a doorbell."""
    samples = [0.0] * int(0.75 * RATE)
    _bell(1318.5, 0.0, 0.75, 0.6, samples)   # E6
    _bell(1046.5, 0.22, 0.53, 0.6, samples)  # C6
    _write(path, samples)


def endpinpon(path):
    """Three tones stepping down to rest on the low one: the closing chime."""
    samples = [0.0] * int(0.95 * RATE)
    _bell(1568.0, 0.0, 0.95, 0.5, samples)   # G6
    _bell(1318.5, 0.16, 0.79, 0.5, samples)  # E6
    _bell(1046.5, 0.32, 0.63, 0.6, samples)  # C6
    _write(path, samples)


def logoff(path):
    """Two short falling beeps: the walkers are sent back to their starting points."""
    samples = [0.0] * int(0.36 * RATE)
    _beep(880.0, 0.0, 0.14, 0.5, samples)    # A5
    _beep(587.3, 0.18, 0.16, 0.5, samples)   # D5
    _write(path, samples)
