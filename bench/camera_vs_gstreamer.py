#!/usr/bin/env python3
# SPDX-License-Identifier: MIT
"""Measures Quorvelle Camera on a private PipeWire daemon, beside GStreamer peers doing the
same work in the same run:

  1. CPU of the camera while one reader takes the placeholder at 30 fps, against
     videotestsrc (smpte, live, 1080p BGRA) into pipewiresink, read by the same reader;
  2. sink-to-reader latency (p50, p99) and CPU while forwarding 30 fps, against a
     pipewiresrc ! pipewiresink relay between the same feeder and reader;
  3. time from process start to the camera node appearing;
  4. resident memory of the camera.

usage: bench/camera_vs_gstreamer.py [BUILD_DIR]   (default: build)
"""
import os
import signal
import statistics
import subprocess
import sys
import tempfile
import time

ROOT = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, "build"))
EXTENSION = os.path.join(BUILD, "bin", "kavorn-camera-extension")
COMPANION = os.path.join(BUILD, "bin", "kavorn-companion")
CONFIG = os.path.join(ROOT, "scripts", "pipewire-private.conf")
TICK = os.sysconf("SC_CLK_TCK")
WINDOW = 10.0


def cpu_seconds(pid):
    with open(f"/proc/{pid}/stat") as stat:
        fields = stat.read().rsplit(")", 1)[1].split()
    return (int(fields[11]) + int(fields[12])) / TICK


def rss_kib(pid):
    with open(f"/proc/{pid}/status") as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def cpu_share(pid, seconds=WINDOW):
    before, start = cpu_seconds(pid), time.monotonic()
    time.sleep(seconds)
    return (cpu_seconds(pid) - before) / (time.monotonic() - start)


def say(text):
    print(text, file=sys.stderr, flush=True)


def wait_for_node(name, timeout=15, direction="-o"):
    deadline = time.monotonic() + timeout
    while not node_exists(name, direction):
        if time.monotonic() > deadline:
            raise RuntimeError(f"node {name} did not appear")
        time.sleep(0.01)


def spawn(args, **kwargs):
    return subprocess.Popen(args, stdout=kwargs.pop("stdout", subprocess.DEVNULL),
                            stderr=subprocess.DEVNULL, **kwargs)


def stop(process):
    if process.poll() is None:
        process.send_signal(signal.SIGINT)
        try:
            process.wait(5)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


def node_exists(name, direction="-o"):
    ports = subprocess.run(["pw-link", direction], capture_output=True, text=True).stdout
    return any(line.startswith(name + ":") for line in ports.splitlines())


def reader(target, path):
    return spawn([COMPANION, "snapshot", "--frames", "0", "--print-frames", "--timeout", "600",
                  "--target", target], stdout=open(path, "w"))


def frames(path):
    out = []
    for line in open(path):
        fields = line.split()
        if len(fields) != 7 or fields[0] != "frame":
            continue  # a line cut short when the reader was stopped
        out.append(dict(field.split("=", 1) for field in fields[2:]))
    return out


def latencies(path, skip_seconds=2.0):
    # Stamped frames carry their painting time; the placeholder's first bytes are no time.
    lines = [f for f in frames(path) if 0 < int(f["recv"]) - int(f["stamp"]) < 5e9]
    if not lines:
        return []
    first = int(lines[0]["recv"])
    return [(int(f["recv"]) - int(f["stamp"])) / 1e6 for f in lines
            if int(f["recv"]) - first > skip_seconds * 1e9]


def percentile(values, p):
    values = sorted(values)
    return values[min(len(values) - 1, int(round(p / 100 * (len(values) - 1))))]


def main():
    runtime = tempfile.mkdtemp(prefix="kavorn-bench-")
    os.environ.update(XDG_RUNTIME_DIR=runtime, PIPEWIRE_REMOTE="kavorn-pipewire-0",
                      XDG_DATA_HOME=os.path.join(runtime, "data"),
                      XDG_CONFIG_HOME=os.path.join(runtime, "config"))
    daemon = spawn(["pipewire", "-c", CONFIG])
    processes = []
    try:
        time.sleep(0.5)
        # 3. Start-up: process start to node in the graph, five times.
        startups = []
        for _ in range(5):
            start = time.monotonic()
            camera = spawn([EXTENSION])
            while not node_exists("quorvelle.camera"):
                time.sleep(0.002)
            startups.append((time.monotonic() - start) * 1000)
            stop(camera)
            while node_exists("quorvelle.camera"):
                time.sleep(0.01)
        camera = spawn([EXTENSION])
        processes.append(camera)
        while not node_exists("quorvelle.camera"):
            time.sleep(0.01)

        # 1. Placeholder to one reader.
        log = os.path.join(runtime, "placeholder.log")
        viewer = reader("quorvelle.camera", log)
        time.sleep(2)
        camera_cpu = cpu_share(camera.pid)
        camera_rss = rss_kib(camera.pid)
        stop(viewer)
        got = frames(log)
        camera_fps = (len(got) - 1) / ((int(got[-1]["recv"]) - int(got[0]["recv"])) / 1e9)

        peer = spawn(["gst-launch-1.0", "-q", "videotestsrc", "pattern=smpte", "is-live=true", "!",
                      "video/x-raw,format=BGRA,width=1920,height=1080,framerate=30/1", "!",
                      "pipewiresink", "mode=provide",
                      "stream-properties=p,node.name=kavorn-peer-src"])
        processes.append(peer)
        say("placeholder measured; now the GStreamer source")
        wait_for_node("kavorn-peer-src")
        log = os.path.join(runtime, "peer.log")
        viewer = reader("kavorn-peer-src", log)
        time.sleep(2)
        peer_cpu = cpu_share(peer.pid)
        stop(viewer)
        stop(peer)
        got = frames(log)
        peer_fps = (len(got) - 1) / ((int(got[-1]["recv"]) - int(got[0]["recv"])) / 1e9)

        say("peer measured; now forwarding")
        # 2. Forwarding 30 fps from a feeder to a reader.
        log = os.path.join(runtime, "forward.log")
        viewer = reader("quorvelle.camera", log)
        feeder = spawn([COMPANION, "feed", "--pattern", "stamp", "--fps", "30"])
        time.sleep(3)
        forward_cpu = cpu_share(camera.pid)
        stop(feeder)
        time.sleep(0.3)
        stop(viewer)
        camera_latency = latencies(log)

        relay = spawn(["gst-launch-1.0", "-q", "pipewiresrc",
                       "stream-properties=p,node.name=kavorn-relay-in", "!", "pipewiresink",
                       "mode=provide", "stream-properties=p,node.name=kavorn-relay-out"])
        processes.append(relay)
        say("forwarding measured; now the GStreamer relay")
        # The relay's output appears once its input has a format: feed it first.
        wait_for_node("kavorn-relay-in", direction="-i")
        feeder = spawn([COMPANION, "feed", "--pattern", "stamp", "--fps", "30", "--target",
                        "kavorn-relay-in"])
        wait_for_node("kavorn-relay-out")
        log = os.path.join(runtime, "relay.log")
        viewer = reader("kavorn-relay-out", log)
        time.sleep(3)
        relay_cpu = cpu_share(relay.pid)
        stop(feeder)
        time.sleep(0.3)
        stop(viewer)
        stop(relay)
        relay_latency = latencies(log)

        print(f"start-up to node (ms, 5 runs): median {statistics.median(startups):.1f}, "
              f"min {min(startups):.1f}, max {max(startups):.1f}")
        print(f"placeholder, one reader: camera {camera_cpu * 100:.2f}% CPU at {camera_fps:.1f} fps"
              f" | videotestsrc ! pipewiresink {peer_cpu * 100:.2f}% CPU at {peer_fps:.1f} fps")
        print(f"camera resident memory: {camera_rss / 1024:.1f} MiB")
        if camera_latency and relay_latency:
            print(f"forwarding 30 fps: camera {forward_cpu * 100:.2f}% CPU, latency p50 "
                  f"{percentile(camera_latency, 50):.2f} ms p99 {percentile(camera_latency, 99):.2f} ms"
                  f" ({len(camera_latency)} frames) | pipewiresrc ! pipewiresink relay "
                  f"{relay_cpu * 100:.2f}% CPU, p50 {percentile(relay_latency, 50):.2f} ms p99 "
                  f"{percentile(relay_latency, 99):.2f} ms ({len(relay_latency)} frames)")
        else:
            print(f"forwarding: no latency samples (camera {len(camera_latency)}, "
                  f"relay {len(relay_latency)})")
    finally:
        for process in processes:
            stop(process)
        stop(daemon)
    return 0


if __name__ == "__main__":
    sys.exit(main())
