"""Renders an SVG picture to PNG with headless Chromium, as a browser shows it.

    python tools/render_svg.py PICTURE.svg PICTURE.png WIDTH [HEIGHT]

The tests use render() to check board pictures pixel by pixel; the user guide's board was made with it.
"""

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile

BROWSERS = ("chromium", "chromium-browser", "google-chrome")


def find_chromium():
    """The path of a Chromium, or None."""
    return next((path for path in map(shutil.which, BROWSERS) if path), None)


def render(svg_text, png_path, width, height, chromium=None):
    """Writes a screenshot of the picture, `width` by `height` pixels, to `png_path`."""
    chromium = chromium or find_chromium()
    if chromium is None:
        raise FileNotFoundError(f"no browser found: install one of {', '.join(BROWSERS)}")
    with tempfile.TemporaryDirectory() as scratch:
        picture = pathlib.Path(scratch) / "picture.svg"
        picture.write_text(svg_text, encoding="utf-8")
        # No sandbox: it needs privileges a container or a root shell lacks, and the page is our own file.
        # Nor a sanitizer runtime preloaded for the module under test: the browser is not under test.
        environment = {name: value for name, value in os.environ.items() if name != "LD_PRELOAD"}
        subprocess.run([chromium, "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
                        "--force-device-scale-factor=1", f"--user-data-dir={scratch}/profile",
                        f"--window-size={width},{height}", f"--screenshot={pathlib.Path(png_path).resolve()}",
                        picture.as_uri()], check=True, capture_output=True, timeout=120, env=environment)


if __name__ == "__main__":
    if len(sys.argv) not in (4, 5):
        raise SystemExit(__doc__)
    source, target, width = sys.argv[1], sys.argv[2], int(sys.argv[3])
    render(pathlib.Path(source).read_text(encoding="utf-8"), target, width, int(sys.argv[4]) if len(sys.argv) == 5 else width)
