"""End-to-end latency of numbered pictures: phone sent -> shared section -> camera sample.

    latency_report.py RUN_DIR...

Each RUN_DIR holds sent.txt (phonesim --send-log: ROUND PICTURE UNIX_US), camera.txt
(vcam_capture --frame-log: UNIX_US NUMBER), section.txt (section_watch: UNIX_US NUMBER),
decoded.txt (section_watch --decode-log: RUN PICTURE UNIX_US, when the program queued picture
PICTURE of its run in the frame buffer) and meta.txt (key=value lines). Prints one table row per
run and writes RUN_DIR/result.json.

The program's decode trace numbers the pictures of its run, not the clip's pictures: picture k of
the run is the k-th picture the phone sent on that connection (the decoder delivers every picture,
in order). The report checks that pairing against the section: a picture seen in the section
before its decode record would show a wrong pairing, and is counted.

A picture is the send of one picture number in one round of the clip; an arrival of number n
belongs to the latest send of n at or before it. Only pictures sent while the camera was
delivering (one second of margin at each end) count; a picture of that span that no sample
carried was never delivered.
"""
import bisect
import json
import os
import sys


def read_rows(path, fields):
    """The lines of `fields` integers of a log, as tuples; nothing for a missing log."""
    rows = []
    if os.path.exists(path):
        for line in open(path):
            parts = line.split()
            if len(parts) == fields:
                rows.append(tuple(int(p) for p in parts))
    return rows


def read_pairs(path):
    return read_rows(path, 2)


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


def read_decoded(path):
    """Queue times of the pictures of the program's last run: {picture of the run: unix_us}."""
    rows = read_rows(path, 3)
    if not rows:
        return {}
    last = max(r for r, _, _ in rows)
    return {p: t for r, p, t in rows if r == last}


def analyse(run):
    meta = read_meta(os.path.join(run, "meta.txt"))
    sends = read_rows(os.path.join(run, "sent.txt"), 3)
    decoded = read_decoded(os.path.join(run, "decoded.txt"))
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
    # The k-th picture sent on the connection is the run's picture k.
    window = [(k, r, p, t) for k, (r, p, t) in enumerate(sends) if lo <= t <= hi]
    cam, sec, sec_cam, dec, dec_sec = [], [], [], [], []
    missing = mispaired = 0
    for k, r, p, t in window:
        key = (r, p)
        if key in cam_first:
            cam.append((cam_first[key] - t) / 1000.0)
        else:
            missing += 1
        if k in decoded:
            dec.append((decoded[k] - t) / 1000.0)
        if key in sec_first:
            sec.append((sec_first[key] - t) / 1000.0)
            if key in cam_first:
                sec_cam.append((cam_first[key] - sec_first[key]) / 1000.0)
            if k in decoded:
                if decoded[k] > sec_first[key]:
                    mispaired += 1
                dec_sec.append((sec_first[key] - decoded[k]) / 1000.0)
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
        "sent_to_decoded_ms": {"p50": percentile(dec, 50), "p95": percentile(dec, 95),
                               "max": max(dec) if dec else None, "pictures": len(dec)},
        "decoded_to_section_ms": {"p50": percentile(dec_sec, 50), "p95": percentile(dec_sec, 95)},
        "decode_pairing_violations": mispaired,
    })
    return result


def fmt(v, spec="6.1f"):
    return "   n/a" if v is None else format(v, spec)


def main(runs):
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
    results = [(os.path.basename(os.path.normpath(run)),
                json.load(open(os.path.join(run, "result.json")))) for run in runs]
    print()
    print("Stages (medians, ms): sent -> in the shared section (receive, decode, frame buffer,")
    print("preview tick, publication) | section -> camera sample (the camera's pace and copy)")
    for _, r in results:
        m = r["meta"]
        a, b = r.get("sent_to_section_ms", {}), r.get("section_to_camera_ms", {})
        print(f"{m.get('camera_label', '?'):10s} {m.get('clip', '?'):24s} {m.get('fps', '?'):>3s}  "
              f"sent->section p50 {fmt(a.get('p50'))} p95 {fmt(a.get('p95'))}   "
              f"section->camera p50 {fmt(b.get('p50'))} p95 {fmt(b.get('p95'))}")
    print()
    print("Sent -> decoded: from the phone's send of a picture's last byte until the program queued")
    print("the picture in its frame buffer (receive, decode, conversion, frame buffer), from its")
    print("decode trace; the preview's and the camera's timers do not move it")
    for name, r in results:
        d = r.get("sent_to_decoded_ms", {})
        print(f"{name} sent->decoded p50 {fmt(d.get('p50'), '.1f')} p95 {fmt(d.get('p95'), '.1f')}")
    print()
    print("Median picture by stage (ms): sent -> decoded | decoded -> section (the preview's 30 ms")
    print("tick and the publication) | section -> camera (the camera's pace and copy)")
    for name, r in results:
        stages = [("sent->decoded", r.get("sent_to_decoded_ms", {}).get("p50")),
                  ("decoded->section", r.get("decoded_to_section_ms", {}).get("p50")),
                  ("section->camera", r.get("section_to_camera_ms", {}).get("p50"))]
        cells = "  ".join(f"{n} {fmt(v, '5.1f')}" for n, v in stages)
        known = [s for s in stages if s[1] is not None]
        largest = max(known, key=lambda s: s[1])[0] if known else "n/a"
        bad = r.get("decode_pairing_violations", 0)
        check = f"   ({bad} pictures in the section before their decode record)" if bad else ""
        print(f"{name:18s} {cells}   largest: {largest}{check}")


if __name__ == "__main__":
    main(sys.argv[1:])
