"""A loopback pair for a test that is no C++ program, taken as the C++ tests take theirs."""
import subprocess


def take_pair(tool, holder):
    """The PC's and the device's addresses of the first pair no test of this run has
    taken, taken by holder for the rest of the run (tool: voq-loopback-pair)."""
    pc, device = subprocess.run([tool, holder], check=True, capture_output=True, text=True, timeout=30).stdout.split()
    return pc, device
