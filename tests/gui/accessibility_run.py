"""What the tests that read the program as a screen reader does share: the simulated
device they read it against, the program they read, and the faults they find."""
import os
import subprocess
import time

faults = []


def fault(screen, what):
    faults.append("screen %s: %s" % (screen, what))
    print("FAULT screen %s: %s" % (screen, what), flush=True)


def start_device(simulator, address, password, folder, wait_ms, more=()):
    """The simulated device, password protected and slow enough for every screen to be
    read: each answer 1.5 s late, the firmware asked for after wait_ms, a pause of wait_ms
    at block 300, the restart in 0.3 s. Its log goes to folder/device.log."""
    return subprocess.Popen([simulator, "--address", address, "--password", password, "--qop", "auth",
                             "--answer-delay", "1500", "--request-delay", str(wait_ms), "--restart-time", "300",
                             "--pause-at-block", "300", "--pause", str(wait_ms)] + list(more),
                            stdout=open(os.path.join(folder, "device.log"), "w"), stderr=subprocess.STDOUT)


def verdict(all_well):
    """The test's exit status: 1 and their count when faults were found, else 0 and all_well."""
    if faults:
        print("%d faults" % len(faults))
        return 1
    print(all_well)
    return 0


def start_program(autopilot, reader, arguments):
    """The program with its scripted user, on the accessibility bus: before the user's
    turn on each screen it writes reader/N.shown and waits for reader/N.read."""
    environment = dict(os.environ, QT_QPA_PLATFORM="xcb", QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    return subprocess.Popen([autopilot, "--reader", reader] + arguments, env=environment, stdout=subprocess.PIPE,
                            stderr=subprocess.STDOUT, text=True)


def next_screen(program, reader, number, deadline):
    """The name of the program's screen number, once shown; None when the program has
    ended or the deadline (a time.time()) has passed first."""
    shown = os.path.join(reader, "%d.shown" % number)
    while time.time() < deadline:
        if os.path.exists(shown):
            return open(shown).read()
        if program.poll() is not None:
            return None
        time.sleep(0.05)
    return None


def let_go(reader, number):
    """Lets the program's user take the turn on screen number."""
    open(os.path.join(reader, "%d.read" % number), "w").close()
