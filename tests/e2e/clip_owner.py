#!/usr/bin/env python3
"""A CLIPBOARD owner that misbehaves on request, for the clipboard fault journeys
(python3-xlib).

usage: clip_owner.py [--delay S] [--chunk-delay S] [--incr N] [--endless] [--announce BYTES]
                     [--stale-notices] KIND [VALUE]

  refuse              lists UTF8_STRING, STRING and TEXT, and refuses every request for
                      them at once (a SelectionNotify with property None)
  bytes TARGET HEX    offers only TARGET; its content is these bytes as they are
  compound TEXT       offers only COMPOUND_TEXT: TEXT as libX11 encodes it
  utf8 TEXT           offers UTF8_STRING
  text-as TYPE TEXT   offers only TEXT and answers with TEXT in UTF-8, labelled TYPE
                      (the owner's choice of encoding)
  grow                offers UTF8_STRING (13 MB) and keeps adding to the text after
                      handing it over, while the requestor reads it
  manager             a clipboard manager: owns CLIPBOARD_MANAGER; asked to SAVE_TARGETS
                      by a program that ends, it takes that program's UTF8_STRING and
                      then the clipboard itself ("saved HEX" once it holds it)

  --delay S        answers every request (the list of targets, the text, each INCR
                   chunk) only S seconds after it came
  --chunk-delay S  hands the text over incrementally S seconds after the request and
                   each chunk S seconds after the previous one (the list of targets on
                   time)
  --incr N         hands the text over incrementally (INCR), in N chunks
  --endless        (with --incr) never sends the empty chunk that ends the text
  --announce BYTES (with --incr) announces this size instead of the real one
  --stale-notices  (with --incr) also tells the requestor of a new value before each
                   piece while there is none (a notice it must pass over)

Prints "ready WINDOW" once it owns the clipboard (the manager: its own selection), then one line per request served
("targets", "text TARGET", "refused TARGET", "chunk I", "done") and "lost" when
another program takes the clipboard.
"""
import argparse
import ctypes
import itertools
import locale
import select
import sys
import time

from Xlib import X, Xatom, display
from Xlib.protocol import event


def compound_text(text):
    """TEXT in COMPOUND_TEXT, by libX11 itself (Xutf8TextListToTextProperty)."""
    locale.setlocale(locale.LC_ALL, "C.UTF-8")
    x11 = ctypes.cdll.LoadLibrary("libX11.so.6")

    class TextProperty(ctypes.Structure):
        _fields_ = [("value", ctypes.c_void_p), ("encoding", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("nitems", ctypes.c_ulong)]

    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.Xutf8TextListToTextProperty.argtypes = [
        ctypes.c_void_p, ctypes.POINTER(ctypes.c_char_p), ctypes.c_int, ctypes.c_int,
        ctypes.POINTER(TextProperty)]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    d = x11.XOpenDisplay(None)
    prop = TextProperty()
    items = (ctypes.c_char_p * 1)(text.encode())
    compound_style = 1
    if x11.Xutf8TextListToTextProperty(d, items, 1, compound_style, ctypes.byref(prop)) != 0:
        sys.exit("libX11 could not encode the text as COMPOUND_TEXT")
    data = ctypes.string_at(prop.value, prop.nitems)
    x11.XCloseDisplay(d)
    return data


class Owner:
    def __init__(self, args):
        self.d = display.Display()
        # Late answers go to windows Tovrin has already destroyed: not our concern.
        self.d.set_error_handler(lambda *a: None)
        self.atom = lambda name: self.d.intern_atom(name)
        self.clipboard = self.atom("CLIPBOARD")
        self.targets = self.atom("TARGETS")
        self.incr = self.atom("INCR")
        self.delay = args.delay
        self.chunk_delay = max(args.delay, args.chunk_delay)
        self.chunks = args.incr
        self.endless = args.endless
        self.announce = args.announce
        self.stale_notices = args.stale_notices
        self.labels = {}
        self.grow = args.kind == "grow"
        self.refuse = args.kind == "refuse"
        if args.kind == "refuse":
            self.offer = {self.atom(n): b"never handed over" for n in ("UTF8_STRING", "STRING", "TEXT")}
        elif args.kind == "bytes":
            self.offer = {self.atom(args.value): bytes.fromhex(args.extra)}
        elif args.kind == "text-as":
            text = self.atom("TEXT")
            self.offer = {text: args.extra.encode()}
            self.labels = {text: self.atom(args.value)}
        elif args.kind == "compound":
            self.offer = {self.atom("COMPOUND_TEXT"): compound_text(args.value)}
        elif args.kind == "manager":
            self.offer = {}
        elif args.kind == "grow":
            self.offer = {self.atom("UTF8_STRING"): b"growing text " * (1 << 14)}
        else:
            self.offer = {self.atom("UTF8_STRING"): args.value.encode()}
        self.pending = []
        self.manager = self.atom("CLIPBOARD_MANAGER") if args.kind == "manager" else None
        self.window = self.d.screen().root.create_window(0, 0, 1, 1, 0, X.CopyFromParent)
        self.window.set_selection_owner(self.manager or self.clipboard, X.CurrentTime)
        self.d.sync()
        if self.d.get_selection_owner(self.manager or self.clipboard) != self.window:
            sys.exit("could not take the clipboard")
        say("ready", self.window.id)

    def next_event(self, timeout=None):
        if self.pending:
            return self.pending.pop(0)
        if timeout is not None and not self.d.pending_events():
            if not select.select([self.d.fileno()], [], [], timeout)[0]:
                return None
        return self.d.next_event()

    def notify(self, request, prop):
        self.d.send_event(request.requestor, event.SelectionNotify(
            time=request.time, requestor=request.requestor, selection=request.selection,
            target=request.target, property=prop), propagate=False)
        self.d.flush()

    def serve(self, request):
        incremental = self.chunks and request.target in self.offer and not self.refuse
        time.sleep(self.chunk_delay if incremental else self.delay)
        prop = request.property or request.target
        if request.target == self.targets:
            request.requestor.change_property(prop, Xatom.ATOM, 32, [self.targets] + list(self.offer))
            self.notify(request, prop)
            say("targets")
        elif request.target not in self.offer or self.refuse:
            self.notify(request, X.NONE)
            say("refused", self.d.get_atom_name(request.target))
        elif not self.chunks:
            label = self.labels.get(request.target, request.target)
            request.requestor.change_property(prop, label, 8, self.offer[request.target])
            if self.grow:
                # Many times what one request can carry: the requestor reads it in parts
                # (a megabyte at a time, say), and the text grows in between.
                for _ in range(63):
                    request.requestor.change_property(prop, request.target, 8, self.offer[request.target],
                                                      mode=X.PropModeAppend)
            self.notify(request, prop)
            say("text", self.d.get_atom_name(request.target))
            if self.grow:
                self.keep_growing(request.requestor, prop, request.target)
        else:
            self.serve_incrementally(request, prop)

    def keep_growing(self, requestor, prop, target):
        """Appends to the text for as long as the requestor's window exists (60 s at most)."""
        piece = b"more junk " * (1 << 14)
        deadline = time.monotonic() + 60
        while time.monotonic() < deadline:
            try:
                for _ in range(8):
                    requestor.change_property(prop, target, 8, piece, mode=X.PropModeAppend)
                requestor.get_geometry()
            except Exception:
                break
        say("stopped growing")

    def serve_incrementally(self, request, prop):
        data = self.offer[request.target]
        size = -(-len(data) // self.chunks)
        pieces = [data[i:i + size] for i in range(0, len(data), size)]
        if self.endless:
            pieces = itertools.cycle(pieces or [b"x"])
        else:
            pieces = pieces + [b""]
        requestor = request.requestor
        requestor.change_attributes(event_mask=X.PropertyChangeMask)
        requestor.change_property(prop, self.incr, 32, [self.announce if self.announce is not None else len(data)])
        self.notify(request, prop)
        say("text", self.d.get_atom_name(request.target), "incrementally")
        for i, piece in enumerate(pieces):
            # Each piece only once the requestor has deleted the previous one.
            deadline = time.monotonic() + 30
            while True:
                e = self.next_event(max(0.0, deadline - time.monotonic()))
                if e is None:
                    say("abandoned")
                    return
                if (e.type == X.PropertyNotify and e.window == requestor and e.atom == prop
                        and e.state == X.PropertyDelete):
                    break
                if e.type != X.PropertyNotify:
                    self.pending.append(e)
            time.sleep(self.chunk_delay)
            if self.stale_notices:
                self.d.send_event(requestor, event.PropertyNotify(
                    window=requestor, atom=prop, time=X.CurrentTime, state=X.PropertyNewValue),
                    event_mask=X.PropertyChangeMask)
            requestor.change_property(prop, request.target, 8, piece)
            self.d.flush()
            say("chunk", i + 1) if piece else say("done")

    def save(self, request):
        """Takes the text of the program that asked, then the clipboard, then answers."""
        time.sleep(self.delay)
        utf8 = self.atom("UTF8_STRING")
        prop = self.atom("MANAGER_SAVED")
        self.window.convert_selection(self.clipboard, utf8, prop, X.CurrentTime)
        self.d.flush()
        deadline = time.monotonic() + 10
        while True:
            e = self.next_event(max(0.0, deadline - time.monotonic()))
            if e is None:
                self.notify(request, X.NONE)
                say("save failed")
                return
            if e.type == X.SelectionNotify and e.requestor == self.window:
                break
            self.pending.append(e)
        data = b""
        if e.property != X.NONE:
            data = self.window.get_full_property(prop, X.AnyPropertyType).value
            data = data if isinstance(data, bytes) else data.encode()
        self.offer = {utf8: data}
        self.window.set_selection_owner(self.clipboard, X.CurrentTime)
        self.notify(request, request.property)
        say("saved", data.hex())

    def run(self):
        while True:
            e = self.next_event()
            if e.type == X.SelectionRequest and self.manager and e.selection == self.manager:
                self.save(e)
            elif e.type == X.SelectionRequest:
                self.serve(e)
            elif e.type == X.SelectionClear:
                say("lost")


def say(*words):
    print(*words, flush=True)


def main():
    parser = argparse.ArgumentParser(usage=__doc__)
    parser.add_argument("--delay", type=float, default=0.0)
    parser.add_argument("--chunk-delay", type=float, default=0.0)
    parser.add_argument("--incr", type=int, default=0)
    parser.add_argument("--endless", action="store_true")
    parser.add_argument("--announce", type=int)
    parser.add_argument("--stale-notices", action="store_true")
    parser.add_argument("kind", choices=["refuse", "bytes", "compound", "utf8", "text-as", "grow", "manager"])
    parser.add_argument("value", nargs="?", default="")
    parser.add_argument("extra", nargs="?", default="")
    Owner(parser.parse_args()).run()


if __name__ == "__main__":
    main()
