"""What every benchmark table shares: the failure that stops a run, the chart's figures, and the text
formatting of times, rates, ratios and tables."""

import math


# tarvik's ratio over each library, figure by figure, for the chart: {figure: {library: ratio}}.
CHART = {}


def chart(figure, library, value):
    CHART.setdefault(figure, {})[library] = value


class BenchFailure(Exception):
    """Programs that disagree, or a tool that fails: the figures would mean nothing."""


def geometric_mean(values):
    return math.exp(sum(math.log(v) for v in values) / len(values))


def per_call(seconds):
    if seconds < 1e-6:
        return f"{seconds * 1e9:.0f} ns"
    if seconds < 1e-3:
        return f"{seconds * 1e6:.2f} us"
    return f"{seconds * 1e3:.2f} ms"


def rate(nodes_per_second):
    if nodes_per_second >= 1e6:
        return f"{nodes_per_second / 1e6:.2f} M"
    return f"{nodes_per_second / 1e3:.1f} k"


def ratio(value):
    return f"{value:.1f}x" if value >= 10 else f"{value:.2f}x"


def print_table(title, headers, rows, notes=(), left_columns=1):
    """Fixed-width text: the first `left_columns` columns left-aligned, the rest right.

    An empty row prints as a blank line; notes follow the table.
    """
    widths = [max(len(str(cell)) for cell in column) for column in zip(headers, *(row for row in rows if row))]

    def line(cells):
        return "  ".join(
            str(cell).ljust(width) if i < left_columns else str(cell).rjust(width)
            for i, (cell, width) in enumerate(zip(cells, widths))
        ).rstrip()

    print(title)
    print(line(headers))
    print("  ".join("-" * width for width in widths))
    for row in rows:
        print(line(row) if row else "")
    for note in notes:
        print(note)
    print()


def fastest_peer(ratios_by_peer):
    """The peer against which tarvik's geometric-mean ratio is lowest, and that ratio."""
    return min(ratios_by_peer.items(), key=lambda item: item[1])
