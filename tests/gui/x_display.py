"""An X display of its own (Xvfb) for a test, ready once it takes connections."""
import os
import socket
import subprocess
import time


def start_display(folder):
    # The server picks a free display and writes its number to the file.
    number_file = open(os.path.join(folder, "display.number"), "w+")
    display = subprocess.Popen(["Xvfb", "-displayfd", str(number_file.fileno()), "-screen", "0", "1024x768x24",
                                "-nolisten", "tcp"], pass_fds=[number_file.fileno()], stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=open(os.path.join(folder, "display.log"), "w"))
    number = ""
    for _ in range(200):
        number_file.seek(0)
        number = number_file.read().strip()
        if number or display.poll() is not None:
            break
        time.sleep(0.05)
    os.environ["DISPLAY"] = ":" + number
    # Ready once it takes a connection on its local socket.
    for _ in range(100):
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as probe:
            try:
                probe.connect("/tmp/.X11-unix/X" + number)
                break
            except OSError:
                time.sleep(0.05)
    return display
