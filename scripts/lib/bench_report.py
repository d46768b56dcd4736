"""Prints the benchmark report (video pipeline, panel) from the JSON files scripts/bench wrote.

    bench_report.py BENCH_DIR
    bench_report.py --program-line BENCH_DIR LATENCY_RUN_DIR   (the whole program's CPU line)
"""
import json
import os
import sys

program_line = len(sys.argv) > 1 and sys.argv[1] == "--program-line"
out = sys.argv[2] if program_line else sys.argv[1]


def load(name):
    path = os.path.join(out, name + ".json")
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        data = json.load(f)
    result = {}
    for b in data.get("benchmarks", []):
        if b.get("aggregate_name", "median") != "median":
            continue
        name = b["run_name"] if "run_name" in b else b["name"]
        ms = b["cpu_time"] * {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        per_frame = b.get("ms_per_frame")
        result[name] = per_frame if per_frame is not None else ms
    return result


yard = {}
if os.path.exists(os.path.join(out, "yardsticks.txt")):
    for line in open(os.path.join(out, "yardsticks.txt")):
        name, cpu, frames = line.split()
        yard[name] = float(cpu) * 1000.0 / int(frames)

if program_line:
    meta = {}
    path = os.path.join(sys.argv[3], "meta.txt")
    if os.path.exists(path):
        for line in open(path):
            if "=" in line:
                k, v = line.rstrip("\n").split("=", 1)
                meta[k] = v
    x = meta.get("lumaroo_cpu_ms_per_s")
    y = yard.get("whole_latency_1080p30")
    x_text = "n/a" if x is None else f"{float(x):.1f}"
    y_text = "n/a" if y is None else f"{y * 30:.1f}"
    r_text = "n/a" if x is None or not y else f"{float(x) / (y * 30):.2f}"
    print(f"Lumaroo.exe CPU at 1080p30: {x_text} ms/s; ffmpeg decode+scale yardstick {y_text} ms/s; "
          f"ratio {r_text}")
    print(f"  (load during the program's run: {meta.get('load', 'n/a')}; now: "
          f"{' '.join(open('/proc/loadavg').read().split()[:3])})")
    sys.exit(0)

nt, np_, wt, wp = (load(n) for n in ("native_transform", "native_path", "wine_transform", "wine_path"))


def fmt(v):
    return "   n/a" if v is None else f"{v:8.3f}"


def ratio(a, b):
    return "  n/a" if a is None or b is None or b == 0 else f"{a / b:5.2f}x"


print("Video pipeline benchmarks (CPU ms per picture; median of 3)")
print()
print("Transform pass, output 1280 x 720 (goal: upright <= 1.5x memcpy, rotated <= 3x)")
for label, key in (("memcpy of the output bytes", "BM_Memcpy"),
                   ("upright 1280x720", "BM_FillUpright"),
                   ("upright, mirrored", "BM_FillUprightMirrored"),
                   ("rotated 720x1280 -> 1280x720", "BM_FillRotated"),
                   ("upright, portable kernels", "BM_FillUprightPortable"),
                   ("rotated, portable kernels", "BM_FillRotatedPortable")):
    n, w = nt.get(key), wt.get(key)
    print(f"  {label:34s} native {fmt(n)}  ({ratio(n, nt.get('BM_Memcpy'))} memcpy)"
          f"   wine {fmt(w)}  ({ratio(w, wt.get('BM_Memcpy'))})")
print()
print("Scaling alone, to 1280 x 720")
for label, key in (("1920x1080 area", "BM_ScaleDown1080p"), ("640x360 bilinear", "BM_ScaleUp360p")):
    print(f"  {label:34s} native {fmt(nt.get(key))}   wine {fmt(wt.get(key))}")
print("  the preview's, once per new picture:")
print(f"  {'1280x720 -> 727x409, 32-bit':34s} native {fmt(nt.get('BM_PreviewScale'))}   "
      f"wine {fmt(wt.get('BM_PreviewScale'))}")
print()
print("Decoding alone, per 1080p picture (the floor under everything else)")
n = np_.get("BM_Decode/1920x1080")
print(f"  {'1920x1080 clip':34s} native {fmt(n)}   wine {fmt(wp.get('BM_Decode/1920x1080'))}   "
      f"ffmpeg -threads 1 decode only {fmt(yard.get('decode_1080p'))}  ({ratio(n, yard.get('decode_1080p'))})")
print()
print("Decode + RGB24 conversion, per picture")
for label, key, y in (("1920x1080 clip", "BM_DecodeConvert/1920x1080", "rgb24_1080p"),
                      ("720x1280 clip", "BM_DecodeConvert/720x1280", "rgb24_720x1280")):
    n = np_.get(key)
    print(f"  {label:34s} native {fmt(n)}   wine {fmt(wp.get(key))}   "
          f"ffmpeg -threads 1 to rgb24 {fmt(yard.get(y))}  ({ratio(n, yard.get(y))})")
print()
print("Full PushFrame (fill + cover scaling), per picture (goal: 1920x1080 <= 1.0 ms natively)")
for label, key, gdi in (("640x360 -> 1280x720", "BM_PushFrame/640x360", "BM_GdiHalftone/640x360/min_time:1.000"),
                        ("1920x1080 -> 1280x720", "BM_PushFrame/1920x1080", "BM_GdiHalftone/1920x1080/min_time:1.000"),
                        ("720x1280 -> 1280x720 (rotated)", "BM_PushFrame/720x1280", None)):
    g = wp.get(gdi) if gdi else None
    extra = f"   GDI HALFTONE StretchBlt under Wine {fmt(g)}" if gdi else ""
    print(f"  {label:34s} native {fmt(np_.get(key))}   wine {fmt(wp.get(key))}{extra}")
print()
print("Preview paint: its 727x409 picture copied onto the screen's 32-bit bitmap, per copy, under Wine")
for label, key in (("from a 24-bit bitmap (converted)", "BM_GdiCopyToScreenBitmap/24bit/min_time:1.000"),
                   ("from a 32-bit bitmap (as kept now)", "BM_GdiCopyToScreenBitmap/32bit/min_time:1.000")):
    print(f"  {label:34s} wine {fmt(wp.get(key))}")
print()
print("Whole path per 1080p picture (decode, conversion, PushFrame) (goal: <= 0.65x ffmpeg)")
n = np_.get("BM_WholePath/1920x1080")
y = yard.get("whole_1080p")
print(f"  {'ours':34s} native {fmt(n)}   wine {fmt(wp.get('BM_WholePath/1920x1080'))}")
print(f"  {'ffmpeg -threads 1 scale=1280:720 bgr24':34s}        {fmt(y)}   ratio {ratio(n, y)}")

print()


def load_panel(name):
    """Median wall and CPU milliseconds per iteration of the panel benchmarks."""
    path = os.path.join(out, name + ".json")
    if not os.path.exists(path):
        return {}
    with open(path) as f:
        data = json.load(f)
    result = {}
    for b in data.get("benchmarks", []):
        if b.get("aggregate_name", "median") != "median":
            continue
        unit = {"ns": 1e-6, "us": 1e-3, "ms": 1.0, "s": 1e3}[b["time_unit"]]
        result[b.get("run_name", b["name"])] = (b["real_time"] * unit, b["cpu_time"] * unit)
    return result


npn, wpn = load_panel("native_panel"), load_panel("wine_panel")


def panel_line(label, key, scale):
    cells = []
    for where, table in (("native", npn), ("wine", wpn)):
        v = table.get(key)
        if v is None:
            cells.append(f"{where}        n/a")
        else:
            cells.append(f"{where} {v[0] * scale:8.1f} wall {v[1] * scale:8.1f} cpu")
    print(f"  {label:34s} " + "   ".join(cells))


print("Panel under a chatty phone (natively the control tree; under Wine with every window)")
print("  a 500-control config, milliseconds per config:")
panel_line("config, pictures in the store", "BM_ApplyConfig500/pictures:1/real_time", 1)
panel_line("config, no pictures", "BM_ApplyConfig500/pictures:0/real_time", 1)
print("  a burst of 1,000 modifies, microseconds per command:")
for label, kind in (("mixed", -1), ("grid selection", 0), ("tab and page switch", 1),
                    ("item caption and colour", 2), ("slider value", 3)):
    panel_line(label, f"BM_ModifyBurst1000/kind:{kind}/real_time", 1.0)  # ms per 1,000 = us each
