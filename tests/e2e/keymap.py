"""Letters beyond ASCII on the virtual display's keyboard, for xdotool to type.

xdotool types a letter the keymap lacks by mapping it to a spare key for a moment, and Wine reads
the key after the mapping is gone: such letters never arrive. Here the letters go on the keys of
the digit row (lower case, and capital with Shift) for as long as a scenario runs, set before the
Wine programs start (they read the keymap once). The Wine programs keep their own layout's virtual
keys for those keys and take the characters from the keymap.

Xvfb resets the keymap when its last client goes, so the mapping is held by a process of its own,
which puts the digits back when its standard input closes (the scenario ended):

    from keymap import hold_letters
    hold_letters(s, "üé")        # after Session start, before the programs start
"""

import ctypes
import subprocess
import sys

FIRST_KEYCODE = 10  # the "1" key; the digit row and "-" "=" give twelve keys


def keysym(character):
    code = ord(character)
    return code if code < 0x100 else 0x1000000 | code  # what xdotool looks the character up by


class _Display:
    def __init__(self, name):
        self.x = ctypes.CDLL("libX11.so.6")
        self.x.XOpenDisplay.restype = ctypes.c_void_p
        self.x.XOpenDisplay.argtypes = [ctypes.c_char_p]
        self.x.XGetKeyboardMapping.restype = ctypes.POINTER(ctypes.c_ulong)
        self.x.XGetKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_ubyte, ctypes.c_int,
                                               ctypes.POINTER(ctypes.c_int)]
        self.x.XChangeKeyboardMapping.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int,
                                                  ctypes.POINTER(ctypes.c_ulong), ctypes.c_int]
        self.x.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]
        self.display = self.x.XOpenDisplay(name.encode())
        if not self.display:
            sys.exit("keymap: cannot open display %s" % name)

    def get(self, count):
        per_key = ctypes.c_int()
        found = self.x.XGetKeyboardMapping(self.display, FIRST_KEYCODE, count, ctypes.byref(per_key))
        return per_key.value, [found[i] for i in range(count * per_key.value)]

    def set(self, per_key, symbols):
        array = (ctypes.c_ulong * len(symbols))(*symbols)
        self.x.XChangeKeyboardMapping(self.display, FIRST_KEYCODE, per_key, array, len(symbols) // per_key)
        self.x.XSync(self.display, 0)


def hold_letters(s, letters):
    """Maps the letters for the rest of the scenario; returns when the mapping is in place."""
    if len(letters) > 12:
        raise ValueError("at most twelve letters")
    holder = subprocess.Popen([sys.executable, __file__, s.env["DISPLAY"], letters], stdin=subprocess.PIPE,
                              stdout=subprocess.PIPE)
    if holder.stdout.readline().strip() != b"mapped":
        raise RuntimeError("keymap: the letters could not be mapped")
    s.keymap_holder = holder  # its standard input stays open until this process ends


def main():
    display = _Display(sys.argv[1])
    letters = sys.argv[2]
    original = display.get(len(letters))
    display.set(2, [symbol for letter in letters for symbol in (keysym(letter), keysym(letter.upper()))])
    print("mapped", flush=True)
    sys.stdin.read()
    display.set(*original)


if __name__ == "__main__":
    main()
