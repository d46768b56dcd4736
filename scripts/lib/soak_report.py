"""Trends of a soak run's samples (scripts/soak): for each figure its value after the warm-up,
at the end, its range, and the growth per 10 minutes fitted by least squares over the samples
after the warm-up (the first fifth of the run, at most 5 minutes)."""
import sys

COLUMNS = ["Lumaroo.exe private bytes", "Lumaroo.exe handles", "Lumaroo.exe GDI objects",
           "Lumaroo.exe USER objects", "Lumaroo.exe CPU ms", "capture private bytes",
           "capture handles", "capture GDI objects", "capture USER objects"]


def main(path):
    rows = []
    for line in open(path):
        if line.startswith("#"):
            continue
        parts = line.split()
        if len(parts) != 1 + len(COLUMNS):
            continue
        try:
            rows.append([float(p) if p not in ("", "-1") else None for p in parts])
        except ValueError:
            continue
    if len(rows) < 3:
        print("too few samples")
        return
    end = rows[-1][0]
    warm = min(300.0, end / 5)
    print(f"{len(rows)} samples over {end / 60:.1f} min; trend fitted after {warm / 60:.1f} min")
    print(f"  {'figure':28s} {'after warm-up':>14s} {'at the end':>12s} {'min':>12s} {'max':>12s}"
          f" {'per 10 min':>12s}")
    for c, name in enumerate(COLUMNS, start=1):
        pts = [(r[0], r[c]) for r in rows if r[0] >= warm and r[c] is not None]
        if len(pts) < 2:
            print(f"  {name:28s} n/a")
            continue
        n = len(pts)
        st = sum(t for t, _ in pts)
        sv = sum(v for _, v in pts)
        stt = sum(t * t for t, _ in pts)
        stv = sum(t * v for t, v in pts)
        den = n * stt - st * st
        slope = (n * stv - st * sv) / den if den else 0.0
        values = [v for _, v in pts]
        if name.endswith("CPU ms"):
            # Accumulated time: print the rate instead (ms of CPU per second of run).
            rate = slope
            print(f"  {'Lumaroo.exe CPU (ms per s)':28s} {rate:14.1f}")
            continue
        scale = 1 / 1024 if "bytes" in name else 1
        unit = " KiB" if "bytes" in name else ""
        print(f"  {name:28s} {values[0] * scale:14.0f} {values[-1] * scale:12.0f}"
              f" {min(values) * scale:12.0f} {max(values) * scale:12.0f}"
              f" {slope * 600 * scale:+12.1f}{unit}")


if __name__ == "__main__":
    main(sys.argv[1])
