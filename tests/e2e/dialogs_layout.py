"""Every dialog of the program in all ten languages at a screen scale (--dpi=96, 144, 192): pvlayout
creates each one and measures each static text, check box, radio button, group box and push button
with its control's font against its control. No text may need more room than it has.

usage: dialogs_layout.py --dpi=N
"""

import os
import sys

from harness import Session, expect

DESKTOP_KEY = r"HKCU\Control Panel\Desktop"
dpi = next((int(a.split("=", 1)[1]) for a in sys.argv[1:] if a.startswith("--dpi=")), 96)

with Session("dialogs_layout_%d" % dpi, limit=150) as s:
    s.run("reg", "add", DESKTOP_KEY, "/v", "LogPixels", "/t", "REG_DWORD", "/d", str(dpi), "/f")
    try:
        def measured():
            code, output = s.run(os.path.join(s.bin_dir, "pvlayout.exe"), timeout=120)
            for line in output.splitlines():
                s.log(line)
            expect(output.strip().endswith("texts do not fit at %d dpi" % dpi), True, "pvlayout ran at %d dpi" % dpi)
            expect(code, 0, "texts that do not fit")
        s.case("every_text_fits_in_every_language", measured)
    finally:
        s.run("reg", "delete", DESKTOP_KEY, "/v", "LogPixels", "/f")
