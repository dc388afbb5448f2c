#!/usr/bin/python3
"""The Linux program as a screen reader meets it.

screen_reader_test.py SIMULATOR AUTOPILOT WORK_DIR LOOPBACK_PAIR -- run inside private_session.sh.

Starts an X display (Xvfb), the simulated device (password protected) on a loopback pair and
the real program with its scripted user on the accessibility bus, then reads every
screen's accessibility tree (the interface Orca reads) while the screen waits for it:
every control that takes the focus, every progress bar and every icon must carry the
name the screen's texts give it, the screen its caption, a text pane its text. A
second run cancels at the password screen, for the message box that follows; a third
reads the gallery, every template in the light and the dark palette.
"""
import os
import re
import shutil
import subprocess
import sys
import time

from accessibility_run import fault, let_go, next_screen, start_device, start_program, verdict
from loopback import take_pair
from x_display import start_display

SIMULATOR, AUTOPILOT, WORK, LOOPBACK_PAIR = sys.argv[1:5]
PC, DEVICE = take_pair(LOOPBACK_PAIR, "gui.screen_reader")
PASSWORD = "secret"
BOX = "Please enter IP address of your VOQ: %d of 4"

ANY = None  # a name that must merely be there (the PC's own addresses in the gallery)


def address_screen(icon):
    return (r"VOQ-3100/3300 Firmware Upgrade", [
        ("push button", "OK"), ("push button", "Cancel"), ("text", "Introduction"), ("text", "Instructions"),
        ("text", "This program will upgrade your VOQ firmware to:"),
        ("combo box", "Your IP Address"), ("list", "Your IP Address"), ("list item", ANY),
        ("image", icon), ("text", BOX % 1), ("text", BOX % 2), ("text", BOX % 3), ("text", BOX % 4)])


def confirm_screen():
    return (r"Confirm Upgrade to Ver\. .+", [
        ("push button", "Upgrade"), ("push button", "Cancel"), ("text", "Serial Number"), ("text", "MAC Address"),
        ("text", "Software Version"), ("text", "Hardware Version"), ("text", "Product Name"),
        ("text", "Instructions")])


# What each screen must say: its caption (a pattern) and, in the tree's order, the role
# and name of each control that takes the focus, each progress bar and each icon.
EXPECTED = {
    "139": (r"VOQ-3100/3300 Firmware Upgrade", [
        ("push button", "Continue"), ("push button", "Cancel"), ("text", "Warning")]),
    "101": address_screen("VOQ telephone adapter"),
    "305": address_screen("VOQ IP phone"),
    "105": (r"Connecting with VOQ@[0-9.]+", [
        ("push button", "Cancel"), ("progress bar", re.compile(r"Connecting with VOQ(@[0-9.]+)?"))]),
    "104": (r"Enter Password Information", [
        ("push button", "OK"), ("push button", "Cancel"), ("text", "User"), ("password text", "Password"),
        ("text", "Instructions")]),
    "103": confirm_screen(),
    "304": confirm_screen(),
    "114": (r"Waiting For Firmware Download Request From VOQ", [
        ("push button", "Cancel"), ("progress bar", "Waiting For Firmware Download Request From VOQ")]),
    "110": (r"(Uploading|Updating) .*VOQ.*", [
        ("push button", "Cancel"), ("progress bar", re.compile(r"(Uploading|Updating) .*VOQ.*"))]),
    "111": (r"VOQ@[0-9.]+ Upgrade Successful!", [
        ("push button", "OK"), ("text", "Firmware version now running:"), ("text", "Result")]),
    "message": (r"VOQ Firwmare Upgrade Error", [("label", "Upgrade Failed: User Abort"), ("push button", "OK")]),
}
# The bars that only show that something is under way: "busy", never a percentage.
BUSY_SCREENS = ("105", "114")
# A line of the body a screen reader reads as the screen opens (its description).
DESCRIBED = {
    "139": "WARNING: Forcing a firmware upgrade on your VOQ", "101": "This program will upgrade your VOQ",
    "305": "This program will upgrade your VOQ", "104": "factory reset by entering", "111": "Your VOQ has been successfully",
}
# The labels that each name a field, tied to it.
TIED_LABELS = {"101": ["Your IP Address"], "305": ["Your IP Address"], "104": ["User", "Password"],
               "103": ["Serial Number", "MAC Address", "Software Version", "Hardware Version", "Product Name"],
               "304": ["Serial Number", "MAC Address", "Software Version", "Hardware Version", "Product Name"],
               "111": ["Firmware version now running:"]}
# Screens the program closes by itself, which may be gone before they are read.
PROGRESS_SCREENS = ("105", "114", "110")
# The text a screen's panes must hold, a line of it: a screen reader reads them.
PANE_TEXT = {
    "Warning": "WARNING: Forcing a firmware upgrade on your VOQ",
    "Introduction": "This program will upgrade your VOQ",
    "Result": "Your VOQ has been successfully",
}

def walk(node, found):
    import pyatspi
    for k in range(node.childCount):
        child = node.getChildAtIndex(k)
        if child is None:
            continue
        role = child.getRoleName()
        if child.getState().contains(pyatspi.STATE_FOCUSABLE) or role in ("progress bar", "image"):
            found.append(child)
        walk(child, found)


def program_of(desktop, name):
    for k in range(desktop.childCount):
        app = desktop.getChildAtIndex(k)
        if app is not None and app.name == name:
            return app
    return None


def text_of(node):
    try:
        text = node.queryText()
    except NotImplementedError:
        return None
    return text.getText(0, text.characterCount)


def check_screen(app, screen):
    """The screen's window once its names are checked; None when it has closed meanwhile."""
    import pyatspi
    caption, expected = EXPECTED[screen]
    # A closed screen leaves nothing behind: every window the program lists is open.
    # (Two may be: the connecting screen of the upgrade request beside the waiting
    # screen of the thread that serves the image.)
    windows = [w for w in (app.getChildAtIndex(k) for k in range(app.childCount)) if w is not None]
    for window in windows:
        if not window.getState().contains(pyatspi.STATE_SHOWING):
            fault(screen, "the closed window %r is still there" % window.name)
    matching = [w for w in windows if re.fullmatch(caption, w.name or "")]
    if not matching:
        if screen not in PROGRESS_SCREENS:
            fault(screen, "no window announced as %r among %r" % (caption, [w.name for w in windows]))
        return None
    window = matching[-1]
    found = []
    walk(window, found)
    seen = [(node.getRoleName(), node.name) for node in found]
    for role, name in seen:
        if not name:
            fault(screen, "a %s without a name" % role)
    # Items of the drop-down list: as many as the PC has addresses.
    if any(name is ANY for _, name in expected):
        seen = [(role, ANY) if role == "list item" else (role, name) for role, name in seen]
        seen = [entry for k, entry in enumerate(seen) if k == 0 or entry != ("list item", ANY) or seen[k - 1] != entry]
    def matches(pair, wanted):
        if isinstance(wanted[1], re.Pattern):
            return pair[0] == wanted[0] and pair[1] is not None and wanted[1].fullmatch(pair[1])
        return pair == wanted
    if len(seen) != len(expected) or not all(matches(p, w) for p, w in zip(seen, expected)):
        fault(screen, "names %r, expected %r" % (seen, expected))
    for node in found:
        role = node.getRoleName()
        if role == "text" and node.name in PANE_TEXT and PANE_TEXT[node.name] not in (text_of(node) or ""):
            fault(screen, "the pane %r reads %r" % (node.name, text_of(node)))
        if role == "progress bar" and screen in BUSY_SCREENS:
            if not node.getState().contains(pyatspi.STATE_BUSY) or node.description != "busy":
                fault(screen, "the bar is not a busy indicator (%r)" % node.description)
            try:
                node.queryValue()
                fault(screen, "the busy bar has a value, which a screen reader reads as a percentage")
            except NotImplementedError:
                pass
        elif role == "progress bar":
            value = node.queryValue()
            if not (value.maximumValue > 0 and 0 <= value.currentValue <= value.maximumValue):
                fault(screen, "the bar reads %s of %s" % (value.currentValue, value.maximumValue))
        if role == "combo box":
            # Its value as text, and the item that holds it selected.
            value = text_of(node) or ""
            selected = [item.name for item in found if item.getRoleName() == "list item"
                        and item.getState().contains(pyatspi.STATE_SELECTED)]
            if not value or selected != [value]:
                fault(screen, "the list says %r, its selected items are %r" % (value, selected))
    if screen in DESCRIBED and DESCRIBED[screen] not in (window.description or ""):
        fault(screen, "the screen's description %r lacks its body" % window.description)
    everything = []
    stack = [window]
    while stack:
        node = stack.pop()
        for k in range(node.childCount):
            child = node.getChildAtIndex(k)
            if child is not None:
                everything.append(child)
                stack.append(child)
    for node in everything:
        if node.getRoleName() == "frame":
            fault(screen, "%r is announced as a window" % node.name)
    for label in TIED_LABELS.get(screen, []):
        tied = [node for node in everything if node.getRoleName() == "label" and node.name == label
                and any(r.getRelationType() == pyatspi.RELATION_LABEL_FOR for r in node.getRelationSet())]
        if not tied:
            fault(screen, "the label %r is tied to no field" % label)
    return window


def check_message(window, text):
    labels = []
    stack = [window]
    while stack:
        node = stack.pop()
        for k in range(node.childCount):
            child = node.getChildAtIndex(k)
            if child is not None:
                labels.append(child.name or "")
                stack.append(child)
    if not any(text in label for label in labels) and text not in (window.description or ""):
        fault("message", "the box does not read %r (it holds %r)" % (text, labels))


def read_along(arguments, reader_dir, message_text=None):
    """Runs the program and reads each screen as it waits; the names of the screens read."""
    import pyatspi
    shutil.rmtree(reader_dir, ignore_errors=True)
    os.makedirs(reader_dir)
    # A display of its own for each run: a run's windows never meet the next one's.
    display = start_display(reader_dir)
    program = start_program(AUTOPILOT, reader_dir, arguments)
    read = []
    number = 1
    deadline = time.time() + 60
    while (screen := next_screen(program, reader_dir, number, deadline)) is not None:
        app = None
        for _ in range(50):  # the program registers with the bus as its first window opens
            app = program_of(pyatspi.Registry.getDesktop(0), os.path.basename(AUTOPILOT))
            if app is not None and app.childCount > 0:
                break
            time.sleep(0.1)
        if app is None:
            fault(screen, "the program is not on the accessibility bus")
        elif screen in EXPECTED:
            window = check_screen(app, screen)
            if window is not None and screen == "message" and message_text:
                check_message(window, message_text)
            if window is not None:
                read.append(screen)
        let_go(reader_dir, number)
        number += 1
    try:
        output, _ = program.communicate(timeout=30)
    except subprocess.TimeoutExpired:
        program.kill()
        output, _ = program.communicate()
    display.kill()
    display.wait()
    if program.returncode != 0:
        fault("-", "the program ended with %s:\n%s" % (program.returncode, output))
    return read


def main():
    os.makedirs(WORK, exist_ok=True)
    device = start_device(SIMULATOR, DEVICE, PASSWORD, WORK, 2000)
    try:
        common = ["--address", DEVICE, "--local-address", PC, "--restart-wait-units", "40"]
        read = read_along(["--shots", os.path.join(WORK, "upgrade"), "--password", PASSWORD] + common,
                          os.path.join(WORK, "reader-upgrade"))
        print("read during the upgrade:", " ".join(read), flush=True)
        for screen in ("139", "101", "105", "104", "103", "114", "110", "111"):
            if screen not in read:
                fault(screen, "never shown")
        read = read_along(["--shots", os.path.join(WORK, "cancelled"), "--keys",
                           "139=Tab,Return 101=address,Return 104=Escape message=Return"] + common,
                          os.path.join(WORK, "reader-cancelled"), "Upgrade Failed")
        print("read when cancelled:", " ".join(read), flush=True)
        if "message" not in read:
            fault("message", "never shown")
        # Every template once, the phone's address screen and the staged confirm screen
        # among them, in the light palette and the dark one.
        read = read_along(["--gallery", "--shots", os.path.join(WORK, "gallery")], os.path.join(WORK, "reader-gallery"))
        print("read in the gallery:", " ".join(read), flush=True)
        for screen in ("139", "101", "305", "104", "103", "304", "105", "114", "110", "111"):
            if read.count(screen) != 2:
                fault(screen, "read %d times in the gallery, not twice" % read.count(screen))
    finally:
        device.kill()
    return verdict("Every screen read as it should be.")


if __name__ == "__main__":
    sys.exit(main())
