"""Shared set-up of the plugin's tests: the plugin staged by the build, the kavu module, the
command-line tool to compare with, one QgsApplication on the offscreen platform, and qgis_process
runs with the plugin enabled."""

import csv
import io
import os
import subprocess
import sys

import pytest

PLUGIN_PARENT = os.environ["KAVU_QGIS_PLUGIN_PATH"]
KAVU_SHEET = os.environ["KAVU_SHEET"]
sys.path.insert(0, PLUGIN_PARENT)
for path in reversed(os.environ.get("KAVU_PYTHONPATH", "").split(os.pathsep)):
    if path:
        sys.path.insert(0, path)


def kavu_sheet(*args, stdin=None, some_unread=False):
    """Rows of kavu-sheet's CSV answer; with some_unread, lines it did not read are expected
    (empty rows, exit status 1)."""
    run = subprocess.run(
        [KAVU_SHEET, *args, "--format", "csv"], input=stdin, capture_output=True, text=True
    )
    assert run.returncode == (1 if some_unread else 0), run.stderr
    return list(csv.DictReader(io.StringIO(run.stdout)))


@pytest.fixture(scope="session")
def qgis_app(tmp_path_factory):
    from qgis.core import QgsApplication

    # A profile of the tests' own, so nothing is left in the user's.
    app = QgsApplication([], True, str(tmp_path_factory.mktemp("profile")))
    app.initQgis()
    yield app
    app.exitQgis()


@pytest.fixture(scope="module")
def qgis_process(tmp_path_factory):
    """Runs qgis_process with the staged plugin enabled in a profile of its own."""
    home = tmp_path_factory.mktemp("home")
    env = dict(os.environ, HOME=str(home), QGIS_PLUGINPATH=PLUGIN_PARENT,
               XDG_RUNTIME_DIR=str(home), QT_QPA_PLATFORM="offscreen")
    env["PYTHONPATH"] = os.pathsep.join(
        p for p in (os.environ.get("KAVU_PYTHONPATH"), os.environ.get("PYTHONPATH")) if p
    )

    def run(*args, fails=False, **more_env):
        """Standard output; with `fails`, the run must fail and its messages are returned."""
        done = subprocess.run([os.environ["KAVU_QGIS_PROCESS"], *args], env=env | more_env,
                              capture_output=True, text=True)
        assert (done.returncode != 0) == fails, done.stdout + done.stderr
        return done.stdout + done.stderr if fails else done.stdout

    run("plugins", "enable", "kavu_sheets")
    return run
