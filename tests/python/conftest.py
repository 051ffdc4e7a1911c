import os
import subprocess

import pytest

# Sheet sizes in degrees by scale: (denominator, height, width).
SCALES = [
    (1000000, 4.0, 6.0),
    (500000, 2.0, 3.0),
    (200000, 2 / 3, 1.0),
    (100000, 1 / 3, 0.5),
    (50000, 1 / 6, 0.25),
    (25000, 1 / 12, 0.125),
    (10000, 1 / 24, 0.0625),
]


@pytest.fixture(scope="session")
def tool():
    """Runs kavu-sheet with arguments and standard input; its standard output."""
    path = os.environ.get("KAVU_SHEET")
    if not path:
        pytest.skip("KAVU_SHEET names no kavu-sheet")

    def run(*args, input=""):
        done = subprocess.run([path, *args], input=input, capture_output=True, text=True)
        assert done.returncode in (0, 1), done.stderr
        return done.stdout

    return run
