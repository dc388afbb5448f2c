#!/usr/bin/python3
"""What a blind user hears: the Linux program done by keys with Orca listening.

orca_test.py SIMULATOR AUTOPILOT WORK_DIR -- run inside dbus-run-session.

Starts an X display (Xvfb), Orca on the session's accessibility bus with its debug log,
the simulated device (password protected) on 127.0.127.2, and the real program with a
user who has only the keyboard. Before each of the user's turns Orca has its say about
the new screen; what it says (the log's "SPEECH OUTPUT" lines) is then held against
what the user must hear on that screen. Three runs: a whole upgrade, in which the user
also picks the other PC address; one cancelled at the password screen, for the failure
box; one with a refused device address, for its box. Exits 77 (skipped) when Orca is
not installed or does not start.
"""
import json
import os
import re
import shutil
import signal
import subprocess
import sys
import time

from x_display import start_display

SIMULATOR, AUTOPILOT, WORK = sys.argv[1:4]
DEVICE = "127.0.127.2"
# The PC's addresses as the list offers them: the user moves from the first to the
# second, on which the program serves the image.
OTHER_PC, PC = "127.0.127.3", "127.0.127.1"
PASSWORD = "Zq9Xw"
IDENTITY = {"Product Name": "VOQ-3300", "MAC Address": "00:0E:08:12:34:56", "Software Version": "2.0.12(SE)",
            "Hardware Version": "1.0.4", "Serial Number": "VQ3300B56789"}
SKIPPED = 77
SETTLE = 1.5  # seconds of quiet in which Orca is taken to have said all it will

faults = []


def fault(screen, what):
    faults.append("screen %s: %s" % (screen, what))
    print("FAULT screen %s: %s" % (screen, what), flush=True)


class Orca:
    def __init__(self, folder):
        self.log_path = os.path.join(folder, "orca-debug.log")
        prefs = os.path.join(folder, "orca-prefs")
        os.makedirs(prefs, exist_ok=True)
        # Every update of a real progress bar is spoken: a percentage from a busy bar
        # would not be missed for want of an interval.
        general = {"progressBarSpeechInterval": 0, "speakProgressBarUpdates": True, "enableSpeech": True,
                   "speakDescription": True}
        with open(os.path.join(prefs, "user-settings.conf"), "w") as settings:
            json.dump({"general": general, "pronunciations": {}, "keybindings": {},
                       "profiles": {"default": dict(general, profile=["Default", "default"])}}, settings)
        home = os.path.join(folder, "home")
        os.makedirs(home, exist_ok=True)
        environment = dict(os.environ, HOME=home, XDG_CONFIG_HOME=os.path.join(home, ".config"),
                           XDG_DATA_HOME=os.path.join(home, ".local/share"), GSETTINGS_BACKEND="memory")
        self.process = subprocess.Popen(["orca", "--replace", "-u", prefs, "--debug-file", self.log_path],
                                        env=environment, stdin=subprocess.DEVNULL,
                                        stdout=open(os.path.join(folder, "orca.out"), "w"), stderr=subprocess.STDOUT)

    def text(self):
        try:
            with open(self.log_path, errors="replace") as log:
                return log.read()
        except OSError:
            return ""

    def ready(self, seconds=40):
        deadline = time.time() + seconds
        while time.time() < deadline:
            if "Startup complete" in self.text():
                return True
            if self.process.poll() is not None:
                return False
            time.sleep(0.2)
        return False

    def said(self, start=0, end=None):
        """What Orca spoke between two offsets of its log, utterance by utterance."""
        return re.findall(r"SPEECH OUTPUT: '(.*?)'", self.text()[start:end])

    def quiet(self, since, seconds=SETTLE, limit=12):
        """Waits until Orca has spoken since an offset and then fallen silent."""
        deadline = time.time() + limit
        last, still = len(self.text()), time.time()
        while time.time() < deadline:
            time.sleep(0.2)
            now = len(self.text())
            if now != last:
                last, still = now, time.time()
            elif self.said(since) and time.time() - still >= seconds:
                return

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


def run(orca, name, arguments, keys, stop_after=None):
    """Runs the program with the keys; what Orca said on each screen, in order."""
    reader = os.path.join(WORK, name)
    shutil.rmtree(reader, ignore_errors=True)
    os.makedirs(reader)
    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    program = subprocess.Popen([AUTOPILOT, "--reader", reader, "--shots", os.path.join(reader, "shots"),
                                "--address", DEVICE, "--local-address", OTHER_PC, "--local-address", PC,
                                "--restart-wait-units", "40", "--keys", keys, "--key-interval-ms", "900"]
                               + arguments, env=environment, stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    heard = []  # (screen, offset in Orca's log where its turn began)
    number = 1
    deadline = time.time() + 120
    while time.time() < deadline:
        shown = os.path.join(reader, "%d.shown" % number)
        if not os.path.exists(shown):
            if program.poll() is not None:
                break
            time.sleep(0.05)
            continue
        screen = open(shown).read()
        heard.append((screen, len(orca.text())))
        orca.quiet(heard[-1][1])
        open(os.path.join(reader, "%d.read" % number), "w").close()
        number += 1
        if screen == stop_after:
            # Orca hears the rest of the user's keys on the screen before it ends.
            time.sleep(len(keys.split(",")) * 0.9 + SETTLE)
            program.kill()
            break
    try:
        output, _ = program.communicate(timeout=60)
    except subprocess.TimeoutExpired:
        program.kill()
        output, _ = program.communicate()
    time.sleep(SETTLE)
    if program.returncode != 0 and stop_after is None:
        fault("-", "the program ended with %s:\n%s" % (program.returncode, output))
    end = len(orca.text())
    spoken = []
    for k, (screen, start) in enumerate(heard):
        stop = heard[k + 1][1] if k + 1 < len(heard) else end
        spoken.append((screen, orca.said(start, stop)))
        print("screen %s: Orca said %r" % (screen, spoken[-1][1]), flush=True)
    return spoken


def utterances_on(spoken, screen):
    found = [said for name, said in spoken if name == screen]
    if not found:
        fault(screen, "never shown")
        return []
    return [line for said in found for line in said]


def expect(spoken, screen, pattern, what):
    said = " ".join(utterances_on(spoken, screen))
    if not re.search(pattern, said):
        fault(screen, "Orca never said %s (%r)" % (what, pattern))


def expect_in_order(spoken, screen, first, then, what):
    said = utterances_on(spoken, screen)
    at = [k for k, line in enumerate(said) if first in line]
    if not at or not any(then in line for line in said[at[0] + 1:]):
        fault(screen, "Orca never said %s (%r, then %r)" % (what, first, then))


def check_upgrade(spoken):
    expect(spoken, "139", re.escape("WARNING: Forcing a firmware upgrade on your VOQ"), "the warning's text")
    # The list says its label and value when the user reaches it, and the new value
    # when the user moves down; the first one selected as the screen opens.
    expect_in_order(spoken, "101", OTHER_PC, PC, "the PC address selected, then the one the user picked")
    expect(spoken, "101", r"Your IP Address", "the list's label")
    expect(spoken, "104", re.escape("factory reset by entering"), "the password screen's note")
    expect(spoken, "104", re.escape("All settings will revert to default values"), "the note's warning")
    for label, value in IDENTITY.items():
        expect(spoken, "103", re.escape(label) + r".{0,60}" + re.escape(value), "%s with its value" % label)
    for screen in ("105", "114"):
        expect(spoken, screen, r"\bbusy\b", "busy")
        for line in utterances_on(spoken, screen):
            if "percent" in line:
                fault(screen, "Orca read a busy bar as a percentage: %r" % line)
    expect(spoken, "111", re.escape("Firmware version now running:") + r".{0,60}\d", "the version now running")


def check_secret(orca):
    """No character of the password in anything Orca heard or said."""
    log = orca.text()
    if PASSWORD in log:
        fault("104", "the password is in Orca's log")
    for line in re.findall(r"SPEECH OUTPUT: '(.*?)'", log):
        if line.strip() and all(c in PASSWORD for c in line.strip()):
            fault("104", "Orca spoke %r, typed into the password field" % line)
    for inserted in re.findall(r"text-changed:insert[^\n]*", log):
        if any(c in inserted for c in PASSWORD):
            for piece in re.findall(r"'([^']*)'", inserted):
                if piece and all(c in PASSWORD for c in piece):
                    fault("104", "an event carried %r from the password field" % piece)


def main():
    if shutil.which("orca") is None:
        print("skipped: Orca is not installed")
        return SKIPPED
    os.makedirs(WORK, exist_ok=True)
    display = start_display(WORK)
    orca = Orca(WORK)
    device = None
    try:
        if not orca.ready():
            print("skipped: Orca did not start (see %s)" % os.path.join(WORK, "orca.out"))
            return SKIPPED
        identity = []
        for label, value in IDENTITY.items():
            identity += ["--" + label.lower().replace(" ", "-"), value]
        device = subprocess.Popen([SIMULATOR, "--address", DEVICE, "--password", PASSWORD, "--qop", "auth",
                                   "--answer-delay", "1500", "--request-delay", "2500", "--restart-time", "300",
                                   "--pause-at-block", "300", "--pause", "2500"] + identity,
                                  stdout=open(os.path.join(WORK, "device.log"), "w"), stderr=subprocess.STDOUT)
        spoken = run(orca, "upgrade", ["--password", PASSWORD],
                     "139=Tab,Return 101=address,Shift+Tab,Down,Return 104=password,Return "
                     "103=Tab,Tab,Tab,Tab,Tab,Tab,Return 111=Return")
        check_upgrade(spoken)
        check_secret(orca)
        spoken = run(orca, "cancelled", [], "139=Tab,Return 101=address,Return 104=Escape message=Return")
        expect(spoken, "message", re.escape("Upgrade Failed: User Abort"), "the failure's message")
        spoken = run(orca, "refused", [], "139=Tab,Return 101='1,Return message=Return", stop_after="message")
        expect(spoken, "message", re.escape("Invalid IP Address"), "the refusal's message")
    finally:
        if device is not None:
            device.kill()
        orca.stop()
        display.kill()
        display.wait()
    if faults:
        print("%d faults" % len(faults))
        return 1
    print("Orca said all a blind user needs on every screen.")
    return 0


if __name__ == "__main__":
    sys.exit(main())
