#!/usr/bin/python3
"""matplotlib (Agg) doing the chart work of the benchmark cases at 505 x 482 pixels:
update (set the data and draw), full paint (draw) and zoom (set the limits and draw).
Reads the curve's points (x y per line) from the file given as the first argument and
prints one JSON object of median times in microseconds."""
import json
import statistics
import sys
import time

import matplotlib

matplotlib.use("Agg")
from matplotlib.backends.backend_agg import FigureCanvasAgg  # noqa: E402
from matplotlib.figure import Figure  # noqa: E402

ZOOM = ((2.0, 6.0), (-0.6, 0.6))
FULL = ((0.0, 10.0), (-1.1, 1.1))


def median_us(action, repeat):
    action()  # warm-up
    times = []
    for _ in range(repeat):
        start = time.perf_counter()
        action()
        times.append(time.perf_counter() - start)
    return statistics.median(times) * 1e6


def main():
    x, y = [], []
    with open(sys.argv[1]) as f:
        for line in f:
            a, b = line.split()
            x.append(float(a))
            y.append(float(b))
    repeat = int(sys.argv[2]) if len(sys.argv) > 2 else 50
    other = [v * 0.999 for v in y]

    fig = Figure(figsize=(5.05, 4.82), dpi=100)
    canvas = FigureCanvasAgg(fig)
    ax = fig.add_subplot()
    (line,) = ax.plot(x, y)
    ax.set_xlim(*FULL[0])
    ax.set_ylim(*FULL[1])
    canvas.draw()
    assert canvas.get_width_height() == (505, 482)

    state = {"flip": False, "zoomed": False}

    def update():
        state["flip"] = not state["flip"]
        line.set_data(x, other if state["flip"] else y)
        canvas.draw()

    def zoom():
        state["zoomed"] = not state["zoomed"]
        lim = ZOOM if state["zoomed"] else FULL
        ax.set_xlim(*lim[0])
        ax.set_ylim(*lim[1])
        canvas.draw()

    result = {
        "update": median_us(update, repeat),
        "paint": median_us(canvas.draw, repeat),
        "zoom": median_us(zoom, repeat),
    }
    print(json.dumps(result))


if __name__ == "__main__":
    main()
