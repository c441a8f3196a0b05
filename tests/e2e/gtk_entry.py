#!/usr/bin/env python3
# A GTK 3 text field for the in-place journey: one Gtk.Entry in a window titled
# argv[1], holding argv[2]; every change of its text is written to argv[3].
import sys

import gi

gi.require_version("Gtk", "3.0")
from gi.repository import Gtk  # noqa: E402

title, text, out = sys.argv[1:4]


def save(entry):
    with open(out + ".tmp", "w", encoding="utf-8") as f:
        f.write(entry.get_text())
    import os
    os.replace(out + ".tmp", out)


window = Gtk.Window(title=title)
window.set_default_size(400, 60)
entry = Gtk.Entry()
entry.set_text(text)
entry.connect("changed", save)
window.add(entry)
window.connect("destroy", Gtk.main_quit)
window.show_all()
save(entry)
Gtk.main()
