#!/usr/bin/python3
"""What a blind user hears: the Linux program done by keys with Orca listening.

orca_test.py SIMULATOR AUTOPILOT WORK_DIR LOOPBACK_PAIR -- run inside private_session.sh.

Starts an X display (Xvfb), Orca on the session's accessibility bus with its debug log,
the simulated device (password protected) on a loopback pair, and the real program with a
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

from accessibility_run import fault, let_go, next_screen, start_device, start_program, verdict
from loopback import take_pair
from x_display import start_display

SIMULATOR, AUTOPILOT, WORK, LOOPBACK_PAIR = sys.argv[1:5]
PC, DEVICE = take_pair(LOOPBACK_PAIR, "gui.orca")
# The PC's addresses as the list offers them: the user moves from the first to the
# second, on which the program serves the image. The first is the pair's too.
OTHER_PC = PC.rsplit(".", 1)[0] + ".3"
PASSWORD = "Zq9Xw"
IDENTITY = {"Product Name": "VOQ-3300", "MAC Address": "00:0E:08:12:34:56", "Software Version": "2.0.12(SE)",
            "Hardware Version": "1.0.4", "Serial Number": "VQ3300B56789"}
SKIPPED = 77
SETTLE = 1.5  # seconds of quiet in which Orca is taken to have said all it will

# Read by Orca as it starts. Its debug log goes through a buffer, and the test reads the
# log as Orca goes; and what Orca says goes to a speech server that only listens, so
# that no speech service of the machine is started (or left running) for the test.
CUSTOMIZATIONS = """
import sys, types
from orca import debug, settings, speechserver

if debug.debugFile:
    debug.debugFile.flush()
    debug.debugFile = open(debug.debugFile.name, "a", buffering=1)


class Silent(speechserver.SpeechServer):
    one = None

    @staticmethod
    def getFactoryName():
        return "Silent"

    @staticmethod
    def getSpeechServers():
        return [Silent.getSpeechServer()]

    @staticmethod
    def getSpeechServer(info=None):
        if Silent.one is None:
            Silent.one = Silent()
        return Silent.one

    @staticmethod
    def shutdownActiveServers():
        pass

    def getInfo(self):
        return ["Silent", "silent"]

    def getVoiceFamilies(self):
        return []


module = types.ModuleType("voq_silent_speech")
module.SpeechServer = Silent
sys.modules["voq_silent_speech"] = module
settings.speechServerFactory = "voq_silent_speech"
"""

# An utterance may run over several lines; the voice follows it.
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)'(?=\s*\{|\s*voice=|$)", re.S | re.M)

class Orca:
    def __init__(self, folder):
        self.log_path = os.path.join(folder, "orca-debug.log")
        # A log of an earlier run would pass for this Orca's until it starts writing.
        if os.path.exists(self.log_path):
            os.remove(self.log_path)
        prefs = os.path.join(folder, "orca-prefs")
        os.makedirs(prefs, exist_ok=True)
        # Every update of a real progress bar is spoken: a percentage from a busy bar
        # would not be missed for want of an interval.
        general = {"progressBarSpeechInterval": 0, "speakProgressBarUpdates": True, "enableSpeech": True,
                   "speakDescription": True, "speechServerFactory": "voq_silent_speech"}
        with open(os.path.join(prefs, "user-settings.conf"), "w") as settings:
            json.dump({"general": general, "pronunciations": {}, "keybindings": {},
                       "profiles": {"default": dict(general, profile=["Default", "default"])}}, settings)
        with open(os.path.join(prefs, "orca-customizations.py"), "w") as customizations:
            customizations.write(CUSTOMIZATIONS)
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
            if "ORCA: Initialized" in self.text():
                return True
            if self.process.poll() is not None:
                return False
            time.sleep(0.2)
        return False

    def said(self, start=0, end=None):
        """What Orca spoke between two offsets of its log, utterance by utterance, each on one line."""
        return [" ".join(utterance.split()) for utterance in SPOKEN.findall(self.text()[start:end])]

    def presented(self, caption, times, since, limit):
        """Waits until Orca has announced a window by its caption so many times since an
        offset of its log, and has then said nothing more for a while: its log goes on
        growing with the events of a bar, so only its speech tells that it is done."""
        deadline = time.time() + limit
        while time.time() < deadline:
            said = self.said(since)
            if sum(1 for line in said if re.match(caption, line)) >= times:
                break
            time.sleep(0.2)
        last, still = len(self.said(since)), time.time()
        while time.time() < deadline and time.time() - still < SETTLE:
            time.sleep(0.2)
            now = len(self.said(since))
            if now != last:
                last, still = now, time.time()

    def stop(self):
        self.process.send_signal(signal.SIGTERM)
        try:
            self.process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            self.process.kill()
            self.process.wait()


# What Orca says as a window opens: its caption and kind ("... dialog", "alert ...").
# What follows, until the next window, is what Orca says on that screen.
SCREENS = {
    "139": r"VOQ-3100/3300 Firmware Upgrade dialog WARNING",
    "101": r"VOQ-3100/3300 Firmware Upgrade dialog This program will upgrade",
    "105": r"Connecting with VOQ@[0-9.]+ dialog",
    "104": r"Enter Password Information dialog",
    "103": r"Confirm Upgrade to Ver\. \S+ dialog",
    "114": r"Waiting For Firmware Download Request From VOQ dialog",
    "110": r"(Uploading|Updating) .*VOQ.* dialog",
    "111": r"VOQ@[0-9.]+ Upgrade Successful! dialog",
    "failure": r"alert VOQ Firwmare Upgrade Error",
    "refusal": r"alert Error",
}
WINDOW = re.compile(r".* dialog\b|alert\b")
# A box the autopilot names "message": the failure's or the refusal's.
ANNOUNCED = dict(SCREENS, message=r"alert\b")
PROGRESS = {"105", "114", "110"}
ADDRESS_CAPTION = "VOQ-3100/3300 Firmware Upgrade"


def run(orca, name, arguments, keys, stop_after=None, then=None):
    """Runs the program with the keys, Orca having its say before each of the user's
    turns; what Orca said, by screen (a screen that opened twice: both times). With
    stop_after, then(orca, since) has the user's turn in the box that screen opens."""
    reader = os.path.join(WORK, name)
    shutil.rmtree(reader, ignore_errors=True)
    os.makedirs(reader)
    program = start_program(AUTOPILOT, reader, [
        "--shots", os.path.join(reader, "shots"), "--address", DEVICE, "--local-address", OTHER_PC,
        "--local-address", PC, "--restart-wait-units", "40", "--keys", keys, "--key-interval-ms", "900",
        "--char-interval-ms", "150"] + arguments)
    begun = len(orca.text())
    number = 1
    times = {}
    deadline = time.time() + 150
    while (screen := next_screen(program, reader, number, deadline)) is not None:
        # The program goes on past a progress screen without the user, and so without
        # waiting for Orca: what Orca says of it is in the log all the same. Before the
        # user's turn on any other screen, Orca has announced it (by how often it has
        # announced that kind of screen in this run) and has then fallen silent.
        if screen not in PROGRESS:
            times[screen] = times.get(screen, 0) + 1
            # Orca takes its time over a program it meets for the first time.
            orca.presented(ANNOUNCED.get(screen, re.escape(screen)), times[screen], begun,
                           limit=30 if number == 1 else 12)
        let_go(reader, number)
        number += 1
        if screen == stop_after:
            # Orca hears the user's keys on the screen, and the box they open, before it ends.
            orca.presented(r"alert\b", 1, begun, limit=12 + len(keys) * 0.1)
            if then is not None:
                then(orca, begun)
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
    spoken = {}
    current = None
    for line in orca.said(begun):
        if WINDOW.match(line):
            current = next((screen for screen, caption in SCREENS.items() if re.match(caption, line)), line)
            spoken.setdefault(current, [])
        if current is not None:
            spoken[current].append(line)
    for screen, said in spoken.items():
        print("screen %s: Orca said %r" % (screen, said), flush=True)
    return spoken


def utterances_on(spoken, screen):
    if screen not in spoken:
        fault(screen, "Orca never announced it")
    return spoken.get(screen, [])


def expect(spoken, screen, pattern, what):
    said = " ".join(utterances_on(spoken, screen))
    if not re.search(pattern, said):
        fault(screen, "Orca never said %s (%r)" % (what, pattern))


def expect_in_order(spoken, screen, first, then, what):
    said = utterances_on(spoken, screen)
    at = [k for k, line in enumerate(said) if first in line]
    if not at or not any(then in line for line in said[at[0] + 1:]):
        fault(screen, "Orca never said %s (%r, then %r)" % (what, first, then))


def expect_near(spoken, screen, first, then, what, within=3):
    said = utterances_on(spoken, screen)
    for k, line in enumerate(said):
        if first in line and any(then in other for other in said[max(0, k - within):k + within + 1]):
            return
    fault(screen, "Orca never said %s (%r with %r)" % (what, first, then))


def expect_said(spoken, screen, utterance, what):
    if not any(line.rstrip(".") == utterance for line in utterances_on(spoken, screen)):
        fault(screen, "Orca never said %s (%r)" % (what, utterance))


def x_keys(*keys):
    """Keys pressed as a user's are, through the X server to whichever window has its focus."""
    subprocess.run(["xdotool", "key", "--delay", "300"] + list(keys), check=True, timeout=30)


def answer_refusals_by_x(orca, since):
    """OK on the refusal's box, twice, as a user presses it: each time the focus goes
    back to the address screen, whose first box takes the next digit. Without a window
    manager the X focus went to the root window, and keys did nothing."""
    for turn in range(2):
        x_keys("Return")
        orca.presented(SCREENS["101"], 2 + turn, since, limit=12)
        focused = subprocess.run(["xdotool", "getwindowfocus", "getwindowname"], capture_output=True, text=True,
                                 timeout=10).stdout.strip()
        if focused != ADDRESS_CAPTION:
            fault("refusal", "after OK the X focus is on %r, not on the address screen" % focused)
            return
        x_keys("7", "Return")
        orca.presented(r"alert\b", 2 + turn, since, limit=12)


def percentages_by_bar(log):
    """The bars Orca read out as a percentage, by the name it heard them by."""
    bars = set()
    for block in log.split("vvvvv PROCESS OBJECT EVENT")[1:]:
        source = re.search(r"app\.name='[^']*' name='(.*?)' role='(.*?)'", block, re.S)
        if source and any(re.fullmatch(r"\d+ percent\.?", line.strip()) for line in SPOKEN.findall(block)):
            bars.add(source.group(1))
    return bars


def check_upgrade(spoken):
    expect(spoken, "139", re.escape("WARNING: Forcing a firmware upgrade on your VOQ"), "the warning's text")
    # The list says its label and value when the user reaches it, and the new value
    # when the user moves down; the first one selected as the screen opens.
    expect_near(spoken, "101", "Your IP Address combo box", OTHER_PC, "the list's label with the address selected",
                within=1)
    expect_in_order(spoken, "101", OTHER_PC, PC, "the PC address selected, then the one the user picked")
    expect(spoken, "104", re.escape("factory reset by entering"), "the password screen's note")
    expect(spoken, "104", re.escape("All settings will revert to default values"), "the note's warning")
    for label, value in IDENTITY.items():
        expect_near(spoken, "103", label, value, "%s with its value" % label)
        # As the field takes the focus: the whole value, its last character too.
        expect_said(spoken, "103", value + " selected", "the whole %s" % label)
    # The waiting screen opens together with the connecting screen of the upgrade
    # request, in either order: it is announced whichever of them closes last.
    for screen in ("105", "114"):
        expect(spoken, screen, r"\bbusy\b", "busy")
    expect(spoken, "111", re.escape("Firmware version now running:") + r".{0,60}\d", "the version now running")


def check_phases(said):
    """Each phase of the upgrade by its caption, in the order the run goes through them:
    the restart wait keeps the uploading screen, and the focus, and is told all the same
    (not as a window of its own)."""
    device = re.escape(DEVICE)
    at = 0
    for caption in (SCREENS["114"], SCREENS["110"], r"(notification )?Updating \S+ Firmware to VOQ@%s\.?$" % device,
                    r"Connecting with VOQ@%s dialog" % device, SCREENS["111"]):
        found = next((k for k in range(at, len(said)) if re.match(caption, said[k])), None)
        if found is None:
            fault("phases", "Orca never said %r after %r" % (caption, said[at - 1] if at else "the start"))
            return
        at = found + 1


def check_secret(orca):
    """No character of the password in anything Orca heard or said."""
    # Orca notes the command line that started the program, the test's password in it.
    log = "\n".join(line for line in orca.text().splitlines() if AUTOPILOT not in line)
    if PASSWORD in log:
        fault("104", "the password is in Orca's log")
    for line in SPOKEN.findall(log):
        if line.strip() and all(c in PASSWORD for c in line.strip()):
            fault("104", "Orca spoke %r, typed into the password field" % line)
    for inserted in re.findall(r"text-changed:insert[^\n]*", log):
        if any(c in inserted for c in PASSWORD):
            for piece in re.findall(r"'([^']*)'", inserted):
                if piece and all(c in PASSWORD for c in piece):
                    fault("104", "an event carried %r from the password field" % piece)


def main():
    for tool in ("orca", "xdotool"):
        if shutil.which(tool) is None:
            print("skipped: %s is not installed" % tool)
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
        device = start_device(SIMULATOR, DEVICE, PASSWORD, WORK, 2500, identity)
        begun = len(orca.text())
        spoken = run(orca, "upgrade", ["--password", PASSWORD],
                     "139=Tab,Return 101=address,Shift+Tab,Down,Return 104=password,Return "
                     "103=Tab,Tab,Tab,Tab,Tab,Tab,Return 111=Return")
        check_upgrade(spoken)
        check_phases(orca.said(begun))
        # The uploading bar counts for real; the others only cycle.
        for bar in percentages_by_bar(orca.text()):
            if not re.match(r"(Uploading|Updating) ", bar):
                fault("105/114", "Orca read the bar %r as a percentage" % bar)
        # The restart wait takes the uploading bar over with a range of its own.
        for line in orca.said():
            if re.fullmatch(r"-\d+ percent\.?", line):
                fault("110", "Orca read the bar below its start: %r" % line)
        check_secret(orca)
        spoken = run(orca, "cancelled", [], "139=Tab,Return 101=address,Return 104=Escape message=Return")
        expect(spoken, "failure", re.escape("Upgrade Failed: User Abort"), "the failure's message")
        # The refusal's box is the address screen's own: the screen stays open behind it.
        # 412 is more than a box holds: the field makes it 255 and moves on.
        spoken = run(orca, "refused", [], "139=Tab,Return 101='412,Return", stop_after="101",
                     then=answer_refusals_by_x)
        expect(spoken, "refusal", re.escape("Invalid IP Address"), "the refusal's message")
        for utterance, what in (("255", "the box's number as the field corrected it"),
                                ("255 selected", "the whole box as it took the focus back"),
                                ("7 selected", "a box of one digit as it took the focus back")):
            expect_said(spoken, "101", utterance, what)
    finally:
        if device is not None:
            device.kill()
        orca.stop()
        display.kill()
        display.wait()
    return verdict("Orca said all a blind user needs on every screen.")


if __name__ == "__main__":
    sys.exit(main())
