"""The benchmark's chart: tarvik's speed over each other library's, figure by figure.

Drawn with matplotlib (a bench-only dependency) into a PNG for the performance page.
"""

import math

import matplotlib

matplotlib.use("Agg")  # no screen: draw into a file
import matplotlib.pyplot as plt  # noqa: E402 - after the backend is chosen

LIBRARY_COLOURS = {"python-chess": "#4c72b0", "stockfish": "#55a868", "bulletchess": "#c44e52",
                   "chessmg": "#8172b2", "nchess": "#ccb974", "esca": "#64b5cd", "rust-pgn-reader": "#937860"}


def draw(ratios, path, title):
    """ratios: {figure: {library: ratio}}, ratio = other library's time / tarvik's time (>1: tarvik faster).

    One group of bars per figure, one bar per library measured on it, each labelled with its ratio."""
    bar, gap = 0.32, 0.45
    fig, axes = plt.subplots(figsize=(10, 0.32 * sum(len(v) for v in ratios.values()) + 0.3 * len(ratios) + 1.2))
    centres, drawn, position = [], set(), 0.0
    for figure, by_library in ratios.items():
        libraries = [name for name in LIBRARY_COLOURS if name in by_library]
        start = position
        for library in libraries:
            value = by_library[library]
            axes.barh(position, value, height=bar * 0.9, color=LIBRARY_COLOURS[library],
                      label=None if library in drawn else library)
            axes.text(value * 1.04, position, f"{value:.2f}x" if value < 10 else f"{value:.0f}x", va="center",
                      fontsize="x-small")
            drawn.add(library)
            position += bar
        centres.append((start + position - bar) / 2)
        position += gap
    axes.set_xscale("log")
    axes.axvline(1.0, color="black", linewidth=0.8)
    axes.set_yticks(centres, list(ratios))
    axes.invert_yaxis()
    values = [value for by_library in ratios.values() for value in by_library.values()]
    low, high = min(0.5, min(values) / 1.5), max(values) * 3
    axes.set_xlim(low, high)
    ticks = [t for t in (0.25, 0.5, 1, 2, 5, 10, 20, 50, 100, 200, 500, 1000, 2000, 5000) if low <= t <= high]
    axes.set_xticks(ticks, [f"{t:g}x" for t in ticks])
    axes.set_xlabel("the other library's time / tarvik's time (log scale; right of 1x tarvik is faster)")
    axes.set_title(title)
    axes.grid(axis="x", which="major", linestyle=":", linewidth=0.6)
    axes.legend(loc="lower right", fontsize="small")
    fig.tight_layout()
    fig.savefig(path, dpi=110)
    plt.close(fig)
    return path


def finite(ratios):
    """The figures whose ratios are all finite and positive (a failed row has none to draw)."""
    return {figure: {lib: value for lib, value in by_library.items() if value > 0 and math.isfinite(value)}
            for figure, by_library in ratios.items()}
