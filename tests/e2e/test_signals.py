"""Termination signals end the program at once, as they end any command: the
caller sees the signal in the exit status (128 + the signal in a shell)."""

import signal

import pytest

pytestmark = pytest.mark.wayland


@pytest.mark.parametrize("sig", [signal.SIGTERM, signal.SIGINT], ids=["SIGTERM", "SIGINT"])
@pytest.mark.parametrize("dialog", [
    ["--msgbox", "hi", 0, 0],
    ["--checklist", "pick", 0, 0, 0, "a", "A", "on"],
    ["--msgbox", "one", 0, 0, "--and-dialog", "--msgbox", "two", 0, 0],
], ids=["msgbox", "checklist", "chain"])
def test_signal_ends_the_program_with_the_signal_status(wrenpane, dialog, sig):
    app = wrenpane.start(*dialog)
    app.dialog()
    app.proc.send_signal(sig)
    code, stdout, stderr = app.finish()
    assert (code, stdout, stderr) == (-sig, b"", b"")
