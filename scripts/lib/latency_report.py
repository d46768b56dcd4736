"""End-to-end latency of numbered pictures: phone sent -> shared section -> camera sample.

    latency_report.py [--bench BENCH_DIR] RUN_DIR...

Each RUN_DIR holds sent.txt (phonesim --send-log: ROUND PICTURE UNIX_US), camera.txt
(vcam_capture --frame-log: UNIX_US NUMBER), section.txt (section_watch: UNIX_US NUMBER) and
meta.txt (key=value lines). Prints one table row per run and writes RUN_DIR/result.json.

A picture is the send of one picture number in one round of the clip; an arrival of number n
belongs to the latest send of n at or before it. Only pictures sent while the camera was
delivering (one second of margin at each end) count; a picture of that span that no sample
carried was never delivered.

With --bench (scripts/bench's output folder) the part before the section is split further with
the per-picture CPU costs measured under Wine: decoding with its RGB conversion, and the frame
buffer's PushFrame; what remains is the wait for the preview's 30 ms tick and the publication.
"""
import bisect
import json
import os
import sys


def read_pairs(path):
    rows = []
    if os.path.exists(path):
        for line in open(path):
            parts = line.split()
            if len(parts) == 2:
                rows.append((int(parts[0]), int(parts[1])))
    return rows


def read_meta(path):
    meta = {}
    if os.path.exists(path):
        for line in open(path):
            if "=" in line:
                k, v = line.rstrip("\n").split("=", 1)
                meta[k] = v
    return meta


def percentile(values, p):
    if not values:
        return None
    s = sorted(values)
    k = (len(s) - 1) * p / 100.0
    lo = int(k)
    hi = min(lo + 1, len(s) - 1)
    return s[lo] + (s[hi] - s[lo]) * (k - lo)


def first_arrivals(sends_by_picture, arrivals):
    """(round, picture) -> first arrival time, matching each arrival to the latest send."""
    first = {}
    for t, n in arrivals:
        if n < 0 or n not in sends_by_picture:
            continue
        times, rounds = sends_by_picture[n]
        i = bisect.bisect_right(times, t) - 1
        if i < 0 or t - times[i] > 2_000_000:
            continue
        key = (rounds[i], n)
        if key not in first:
            first[key] = t
    return first


def analyse(run):
    meta = read_meta(os.path.join(run, "meta.txt"))
    sends = []
    for line in open(os.path.join(run, "sent.txt")):
        parts = line.split()
        if len(parts) == 3:
            sends.append((int(parts[0]), int(parts[1]), int(parts[2])))
    camera = read_pairs(os.path.join(run, "camera.txt"))
    section = read_pairs(os.path.join(run, "section.txt"))
    by_picture = {}
    for rnd, pic, t in sorted(sends, key=lambda s: s[2]):
        times, rounds = by_picture.setdefault(pic, ([], []))
        times.append(t)
        rounds.append(rnd)
    cam_first = first_arrivals(by_picture, camera)
    sec_first = first_arrivals(by_picture, section)
    numbered = [t for t, n in camera if n >= 0]
    result = {"meta": meta, "samples": len(camera), "numbered_samples": len(numbered)}
    if len(numbered) < 2:
        return result
    lo, hi = numbered[0] + 1_000_000, numbered[-1] - 1_000_000
    window = [(r, p, t) for r, p, t in sends if lo <= t <= hi]
    cam, sec, sec_cam = [], [], []
    missing = 0
    for r, p, t in window:
        key = (r, p)
        if key in cam_first:
            cam.append((cam_first[key] - t) / 1000.0)
        else:
            missing += 1
        if key in sec_first:
            sec.append((sec_first[key] - t) / 1000.0)
            if key in cam_first:
                sec_cam.append((cam_first[key] - sec_first[key]) / 1000.0)
    span = (numbered[-1] - numbered[0]) / 1e6
    result.update({
        "pictures": len(window),
        "delivered": len(cam),
        "never_delivered_share": missing / len(window) if window else None,
        "camera_pace_fps": (len(camera) - 1) / span if span > 0 else None,
        "sent_to_camera_ms": {"p50": percentile(cam, 50), "p95": percentile(cam, 95),
                              "max": max(cam) if cam else None},
        "sent_to_section_ms": {"p50": percentile(sec, 50), "p95": percentile(sec, 95),
                               "max": max(sec) if sec else None},
        "section_to_camera_ms": {"p50": percentile(sec_cam, 50), "p95": percentile(sec_cam, 95),
                                 "max": max(sec_cam) if sec_cam else None},
    })
    return result


def fmt(v, spec="6.1f"):
    return "   n/a" if v is None else format(v, spec)


def wine_costs(bench):
    """Median CPU ms per picture under Wine: {(clip size, stage): ms}."""
    path = os.path.join(bench, "wine_path.json") if bench else None
    costs = {}
    if not path or not os.path.exists(path):
        return costs
    for b in json.load(open(path)).get("benchmarks", []):
        if b.get("aggregate_name", "median") != "median":
            continue
        name = b.get("run_name", b["name"])
        ms = b.get("ms_per_frame")
        if ms is None:
            continue
        for size in ("1920x1080", "720x1280"):
            if name == f"BM_DecodeConvert/{size}":
                costs[(size, "decode")] = ms
            elif name == f"BM_PushFrame/{size}":
                costs[(size, "frame buffer")] = ms
    return costs


def main(runs, bench=None):
    print(f"{'camera':10s} {'clip':24s} {'fps':>3s}  {'p50':>6s} {'p95':>6s} {'max':>6s} ms"
          f"  {'never':>6s}  {'pics':>5s}  {'cam fps':>7s}  load")
    for run in runs:
        r = analyse(run)
        with open(os.path.join(run, "result.json"), "w") as f:
            json.dump(r, f, indent=1)
        m = r["meta"]
        lat = r.get("sent_to_camera_ms", {})
        never = r.get("never_delivered_share")
        print(f"{m.get('camera_label', '?'):10s} {m.get('clip', '?'):24s} {m.get('fps', '?'):>3s}  "
              f"{fmt(lat.get('p50'))} {fmt(lat.get('p95'))} {fmt(lat.get('max'))}    "
              f"{fmt(None if never is None else 100 * never, '5.1f')}%  {r.get('pictures', 0):5d}  "
              f"{fmt(r.get('camera_pace_fps'), '7.2f')}  {m.get('load', '?')}")
    print()
    print("Stages (medians, ms): sent -> in the shared section (receive, decode, frame buffer,")
    print("preview tick, publication) | section -> camera sample (the camera's pace and copy)")
    for run in runs:
        r = json.load(open(os.path.join(run, "result.json")))
        m = r["meta"]
        a, b = r.get("sent_to_section_ms", {}), r.get("section_to_camera_ms", {})
        print(f"{m.get('camera_label', '?'):10s} {m.get('clip', '?'):24s} {m.get('fps', '?'):>3s}  "
              f"sent->section p50 {fmt(a.get('p50'))} p95 {fmt(a.get('p95'))}   "
              f"section->camera p50 {fmt(b.get('p50'))} p95 {fmt(b.get('p95'))}")
    costs = wine_costs(bench)
    if not costs:
        return
    print()
    print("Median picture by stage (ms): receive + decode and frame buffer from the Wine benchmark's")
    print("CPU per picture, tick wait + publication the rest of sent -> section, camera measured")
    for run in runs:
        r = json.load(open(os.path.join(run, "result.json")))
        m = r["meta"]
        size = "1920x1080" if "1920x1080" in m.get("clip", "") else "720x1280"
        decode, buffer = costs.get((size, "decode")), costs.get((size, "frame buffer"))
        to_section = r.get("sent_to_section_ms", {}).get("p50")
        camera = r.get("section_to_camera_ms", {}).get("p50")
        if None in (decode, buffer, to_section, camera):
            continue
        rest = to_section - decode - buffer
        stages = [("receive+decode", decode), ("frame buffer", buffer),
                  ("tick+publication", rest), ("camera", camera)]
        largest = max(stages, key=lambda s: s[1])[0]
        cells = "  ".join(f"{n} {v:5.1f}" for n, v in stages)
        print(f"{m.get('camera_label', '?'):10s} {m.get('fps', '?'):>3s} fps  {cells}   largest: {largest}")


if __name__ == "__main__":
    args = sys.argv[1:]
    bench_dir = None
    if len(args) >= 2 and args[0] == "--bench":
        bench_dir, args = args[1], args[2:]
    main(args, bench_dir)
