#!/usr/bin/python3
"""The recognition dialog as a screen reader reads it, through the desktop's
accessibility bus (AT-SPI, read with pyatspi as Orca does).

Runs `diag-host run` on the xcb platform under Xvfb, with a D-Bus session and
the AT-SPI bus, on a simulated reader that is never touched. Through the bus
it presses the instructions' OK, reads the recognition dialog (its name, the
close button's name, description and focus, the progress bar's name and
value, the instruction as the dialog's description and as a label, the
picture's name), presses Close, and expects the run to end Aborted (exit
code 4). The expected texts come from the module's catalogue for the language.

  screen_reader_check.py DIAG_HOST CATALOGUE_DIR LANGUAGE [--high-contrast SIM_JSON]

LANGUAGE is a catalogue's language, e.g. en_US or de_DE. --high-contrast runs
the machine of SIM_JSON with high contrast on. Needs Debian's python3-pyatspi
(run with /usr/bin/python3), at-spi2-core, dbus and xvfb.
"""

import json
import os
import shutil
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ElementTree

ABORTED = 4
# Generous: other builds may share the machine's two cores.
STEP_SECONDS = 90
RUN_SECONDS = 400
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
INSIDE = "FP_SCREEN_READER_CHECK_SESSION"


def fail(message):
    print("FAIL: " + message, flush=True)
    sys.exit(1)


def catalogue(directory, language):
    """The catalogue's translations by key."""
    path = os.path.join(directory, "fingerprint_%s.ts" % language)
    texts = {}
    for message in ElementTree.parse(path).getroot().iter("message"):
        texts[message.findtext("source")] = message.findtext("translation") or ""
    return texts


# ---------------------------------------------------------------- outside ---

def start_xvfb():
    """A display of its own: Xvfb chooses a free number and writes it to a pipe."""
    read_end, write_end = os.pipe()
    xvfb = subprocess.Popen(
        ["Xvfb", "-displayfd", str(write_end), "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
        pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    with os.fdopen(read_end, "rb") as pipe:
        number = pipe.readline().strip()
    if not number:
        xvfb.kill()
        fail("Xvfb did not start")
    return xvfb, ":" + number.decode()


def outside(argv):
    import importlib.util
    if not importlib.util.find_spec("pyatspi"):
        fail("%s has no pyatspi: run Debian's /usr/bin/python3 with python3-pyatspi (./dev setup installs it)"
             % sys.executable)
    for tool in ("Xvfb", "dbus-run-session"):
        if not shutil.which(tool):
            fail("%s is missing (./dev setup installs it)" % tool)
    if not os.access(BUS_LAUNCHER, os.X_OK):
        fail("%s is missing (Debian package at-spi2-core; ./dev setup installs it)" % BUS_LAUNCHER)
    xvfb, display = start_xvfb()
    env = dict(os.environ, DISPLAY=display, **{INSIDE: "1"})
    env.pop("DBUS_SESSION_BUS_ADDRESS", None)
    env.pop("AT_SPI_BUS_ADDRESS", None)
    try:
        code = subprocess.call(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__)] + argv,
                               env=env, timeout=RUN_SECONDS)
    except subprocess.TimeoutExpired:
        print("FAIL: no end after %d s" % RUN_SECONDS, flush=True)
        code = 1
    finally:
        xvfb.kill()
        xvfb.wait()
    sys.exit(code)


# ----------------------------------------------------------------- inside ---

def inside(diag_host, catalogue_dir, language, high_contrast_sim):
    diag_host = os.path.abspath(diag_host)
    keys = ["RECOGNITION_TEST", "FINGERPRINT_INSTRUCTIONS", "TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES",
            "CLOSE", "CLOSE_STOPS_TEST", "FINGERPRINT"]
    # What the dialog names comes translated in every language, not only the two checked here.
    for name in sorted(os.listdir(catalogue_dir)):
        if name.startswith("fingerprint_") and name.endswith(".ts"):
            other = name[len("fingerprint_"):-len(".ts")]
            missing = [key for key in keys if not catalogue(catalogue_dir, other).get(key)]
            if missing:
                fail("the %s catalogue has no translation of %s" % (other, ", ".join(missing)))
    if not os.path.exists(os.path.join(catalogue_dir, "fingerprint_%s.ts" % language)):
        fail("no %s catalogue in %s" % (language, catalogue_dir))
    texts = catalogue(catalogue_dir, language)

    # The accessibility bus of this session, before anything asks for it.
    launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], stderr=subprocess.DEVNULL)
    work = tempfile.mkdtemp(prefix="screen-reader-")
    try:
        import gi
        gi.require_version("Atspi", "2.0")
        from gi.repository import GLib
        import pyatspi
        return Reader(pyatspi, GLib).check(diag_host, texts, language, high_contrast_sim, work)
    finally:
        launcher.terminate()
        launcher.wait()
        shutil.rmtree(work, ignore_errors=True)


class Reader:
    def __init__(self, pyatspi, glib):
        self.at = pyatspi
        self.glib = glib
        self.desktop = pyatspi.Registry.getDesktop(0)
        # Read every value from the application itself: a client without a
        # main loop never sees the events that would refresh a cache.
        self.desktop.set_cache_mask(pyatspi.Atspi.Cache.NONE)

    # Tree access ---------------------------------------------------------

    def children(self, node):
        try:
            return [node.getChildAtIndex(i) for i in range(node.childCount)]
        except Exception:  # the object went away meanwhile
            return []

    def walk(self, node):
        yield node
        for child in self.children(node):
            if child is not None:
                yield from self.walk(child)

    def application(self, pid):
        for app in self.children(self.desktop):
            try:
                if app is not None and app.get_process_id() == pid:
                    return app
            except Exception:
                pass
        return None

    def wait_for(self, what, find, process):
        deadline = time.monotonic() + STEP_SECONDS
        last_error = None
        while time.monotonic() < deadline:
            while self.glib.MainContext.default().iteration(False):
                pass
            if process.poll() is not None:
                fail("diag-host ended (exit code %d) while waiting for %s" % (process.returncode, what))
            try:
                found = find()
            except self.glib.Error as error:  # a window closed or opened while it was read
                found, last_error = None, error.message
            if found:
                return found
            time.sleep(0.2)
        fail("no %s after %d s%s" % (what, STEP_SECONDS, " (last: %s)" % last_error if last_error else ""))

    def press(self, node):
        action = node.queryAction()
        for i in range(action.nActions):
            if action.getName(i) == "Press":
                if not action.doAction(i):
                    fail("the bus refused to press '%s'" % node.name)
                return
        fail("'%s' offers no Press action" % node.name)

    def describe(self, node, depth=0):
        line = "  " * depth + "[%s] name=%r" % (node.getRoleName(), node.name)
        if node.description:
            line += " description=%r" % node.description
        states = node.getState()
        if states.contains(self.at.STATE_FOCUSED):
            line += " focused"
        if node.getRole() == self.at.ROLE_PROGRESS_BAR:
            value = node.queryValue()
            line += " value %g/%g" % (value.currentValue, value.maximumValue)
        for relation in node.getRelationSet():
            if relation.getRelationType() == self.at.RELATION_LABELLED_BY:
                line += " labelled-by the %s" % relation.getTarget(0).getRoleName()
        lines = [line]
        for child in self.children(node):
            lines.append(self.describe(child, depth + 1))
        return "\n".join(lines)

    # The run -------------------------------------------------------------

    def check(self, diag_host, texts, language, high_contrast_sim, work):
        system = {"uiLanguages": [language.replace("_", "-")]}
        if high_contrast_sim:
            with open(high_contrast_sim, encoding="utf-8") as file:
                system.update(json.load(file)["system"])
            system["highContrast"] = True
        machine = os.path.join(work, "machine.json")
        with open(machine, "w", encoding="utf-8") as file:
            json.dump({"sensor": {"touchAfterMs": None}, "system": system}, file)
        settings = os.path.join(work, "settings.ini")
        with open(settings, "w", encoding="utf-8") as file:
            file.write("[CSAT]\nCSAT_TEST_TIMEOUT=600\n")  # only Close ends this run

        env = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
                   FINGERPRINT_SIM=machine, LC_ALL=language + ".UTF-8", LANG=language + ".UTF-8")
        env.pop("LANGUAGE", None)
        log_path = os.path.join(work, "diag-host.log")
        with open(log_path, "w", encoding="utf-8") as log:
            # The working folder has no config.ini: the language comes from the system.
            process = subprocess.Popen([diag_host, "run", "--settings", settings, "--answer", "none"],
                                       cwd=work, env=env, stdout=log, stderr=subprocess.STDOUT)
        try:
            self.drive(process, texts)
            try:
                code = process.wait(timeout=STEP_SECONDS)
            except subprocess.TimeoutExpired:
                fail("diag-host did not end after Close was pressed")
        finally:
            if process.poll() is None:
                process.kill()
                process.wait()
            with open(log_path, encoding="utf-8", errors="replace") as log:
                print("--- diag-host\n" + log.read().rstrip() + "\n---", flush=True)
        if code != ABORTED:
            fail("the run ended with exit code %d, not %d (Aborted)" % (code, ABORTED))
        print("PASS: Close through the bus ended the run Aborted", flush=True)
        return 0

    def drive(self, process, texts):
        at = self.at
        app = self.wait_for("diag-host on the accessibility bus", lambda: self.application(process.pid), process)

        # The instructions, a message box of the host's: press its OK.
        def instructions_ok():
            for window in self.children(app):
                nodes = list(self.walk(window))
                if any(n.getRole() == at.ROLE_LABEL and n.name == texts["FINGERPRINT_INSTRUCTIONS"] for n in nodes):
                    buttons = [n for n in nodes if n.getRole() == at.ROLE_PUSH_BUTTON]
                    return buttons[0] if len(buttons) == 1 else None
            return None

        ok = self.wait_for("instructions with one button", instructions_ok, process)
        print("instructions: pressing '%s'" % ok.name, flush=True)
        self.press(ok)

        # The recognition dialog: wait until it has shown and taken the focus.
        def dialog_with_focus():
            for window in self.children(app):
                nodes = list(self.walk(window))
                if not any(n.getRole() == at.ROLE_PROGRESS_BAR for n in nodes):
                    continue
                if any(n.getState().contains(at.STATE_FOCUSED) for n in nodes):
                    return window, nodes
            return None

        dialog, nodes = self.wait_for("recognition dialog with the focus", dialog_with_focus, process)
        print(self.describe(dialog), flush=True)

        def one(role, what):
            found = [n for n in nodes if n.getRole() == role]
            if len(found) != 1:
                fail("the dialog has %d %s, not one" % (len(found), what))
            return found[0]

        instruction = texts["TOUCH_SLIDE_FINGER_ON_SENSOR_UNTIL_TEST_FINISHES"]
        problems = []

        def expect(what, actual, expected):
            if actual != expected:
                problems.append("%s is %r, not %r" % (what, actual, expected))

        expect("the dialog's role", dialog.getRole(), at.ROLE_DIALOG)
        expect("the dialog's name", dialog.name, texts["RECOGNITION_TEST"])
        expect("the dialog's description", dialog.description, instruction)
        close = one(at.ROLE_PUSH_BUTTON, "buttons")
        expect("the close button's name", close.name, texts["CLOSE"])
        expect("the close button's description", close.description, texts["CLOSE_STOPS_TEST"])
        expect("the close button's focus", close.getState().contains(at.STATE_FOCUSED), True)
        bar = one(at.ROLE_PROGRESS_BAR, "progress bars")
        expect("the progress bar's name", bar.name, instruction)
        labelled_by = [relation.getTarget(0).name for relation in bar.getRelationSet()
                       if relation.getRelationType() == at.RELATION_LABELLED_BY]
        expect("what labels the progress bar", labelled_by, [instruction])
        value = bar.queryValue()
        expect("the progress bar's value", (value.currentValue, value.maximumValue), (0.0, 100.0))
        labels = sorted(n.name for n in nodes if n.getRole() == at.ROLE_LABEL)
        expect("the labels", labels, sorted([texts["FINGERPRINT"], texts["RECOGNITION_TEST"], instruction]))
        if problems:
            fail("; ".join(problems))

        print("dialog: pressing '%s'" % close.name, flush=True)
        self.press(close)


if __name__ == "__main__":
    arguments = sys.argv[1:]
    high_contrast = None
    if "--high-contrast" in arguments:
        at = arguments.index("--high-contrast")
        high_contrast = arguments[at + 1]
        del arguments[at:at + 2]
    if len(arguments) != 3:
        print(__doc__, file=sys.stderr)
        sys.exit(2)
    if os.environ.get(INSIDE):
        sys.exit(inside(*arguments, high_contrast))
    outside(sys.argv[1:])
