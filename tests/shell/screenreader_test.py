#!/usr/bin/env python3
"""Ollo as a blind child hears it, through the desktop's own screen reader.

Starts the program on an X server of its own (Xvfb with openbox), inside a
private D-Bus session with its own accessibility bus, Speech Dispatcher (its
silent output module, German) and Orca. What Orca says is read from its
speech log, and the program's accessibility tree through AT-SPI:
  - a drill done with the keyboard alone, from the menu to the reward, is
    heard in order, each piece once and in German: the task, the praise, the
    next task, the wrong-answer question, the task again after NOCHMALS, the
    solution after LÖSEN, and the reward; the keyboard stays in the answer
    field throughout;
  - every window names its buttons, pictures, lists, fields and switches;
  - the speech service is not started unless a window asks for it, and the
    switch "Aufgaben vorlesen" says why it is greyed when there is none.
Exits 77 (skipped) with a message when a tool or package is missing.

Usage: screenreader_test.py <ollo program> <content folder>
"""

import importlib.util
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
SPEECH_MODULE = "/usr/lib/speech-dispatcher-modules/sd_dummy"
NUMBER_WORDS = ["eins", "zwei", "drei", "vier", "fünf", "sechs", "sieben", "acht", "neun", "zehn"]
PRAISE = "Hurra, wieder ein Treffer!"
QUESTION = "Das ist leider nicht ganz richtig! Willst es nochmals versuchen oder soll ich lösen?"
MAIN_TITLE = "Ollo für Windows 95 V1.1"
# The menu bar by keyboard, from F10 on: each key and what Orca then says
# last, every word of it. A menu reached from the one beside it is named first;
# the items of "Division" and "Sonderreihen" do not sound like their twins.
MENU_WALK = [
    ("F10", ["Kleines 1X1"]),
    ("Down", ["1-er Reihe"]),
    ("Right", ["Großes 1X1", "11-er Reihe"]),
    ("Right", ["Division", "1-er Reihe, teilen"]),
    ("Up", ["Beliebige Reihe, teilen"]),
    ("Right", ["Sonderreihen", "100-er Reihe, Multiplikation"]),
    ("Down", ["1000-er Reihe, Multiplikation"]),
    ("Down", ["100-er Reihe, Division"]),
    ("Down", ["1000-er Reihe, Division"]),
    ("Down", ["Schwierige Aufgaben"]),
    ("Left", ["Division", "1-er Reihe, teilen"]),
]
# Roles a screen reader announces by name; an empty name leaves the child guessing.
MUST_BE_NAMED = {"push button", "image", "list", "text", "check box", "radio button", "menu item",
                 "page tab", "combo box", "dialog", "frame", "spin button"}


def skip(reason):
    print(f"SKIP: {reason}")
    sys.exit(SKIPPED)


def wait_for(condition, what, timeout=30.0):
    """Polls `condition` until it holds; fails naming `what` after `timeout` s."""
    deadline = time.monotonic() + timeout
    while True:
        result = condition()
        if result:
            return result
        if time.monotonic() > deadline:
            raise AssertionError(f"timed out waiting for {what}")
        time.sleep(0.05)


def start_xvfb():
    """An X server on a free display of its own, far from the usual numbers."""
    for number in random.sample(range(300, 900), 40):
        if os.path.exists(f"/tmp/.X{number}-lock") or os.path.exists(f"/tmp/.X11-unix/X{number}"):
            continue
        xvfb = subprocess.Popen(["Xvfb", f":{number}", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        # Taken meanwhile by someone else, the server ends at once.
        if wait_for(lambda: xvfb.poll() is not None or os.path.exists(f"/tmp/.X11-unix/X{number}"),
                    "Xvfb") and xvfb.poll() is None:
            return xvfb, f":{number}"
    raise AssertionError("no free display for Xvfb")


def outer(program, content):
    for tool in ("Xvfb", "openbox", "xdotool", "dbus-run-session", "dbus-send", "speech-dispatcher", "orca"):
        if shutil.which(tool) is None:
            skip(f"{tool} is not installed (scripts/packages.txt)")
    if not os.access(BUS_LAUNCHER, os.X_OK):
        skip(f"{BUS_LAUNCHER} is missing (package at-spi2-core)")
    if not os.access(SPEECH_MODULE, os.X_OK):
        skip(f"{SPEECH_MODULE} is missing (package speech-dispatcher)")
    # Only looked for here: loading pyatspi connects to the accessibility bus.
    try:
        import gi
        gi.require_version("Atspi", "2.0")
    except (ImportError, ValueError) as error:
        skip(f"AT-SPI cannot be loaded from Python ({error}; package gir1.2-atspi-2.0)")
    if importlib.util.find_spec("pyatspi") is None:
        skip(f"pyatspi is not installed for {sys.executable} (package python3-pyatspi)")

    with tempfile.TemporaryDirectory(prefix="ollo-a11y-") as work:
        xvfb, display = start_xvfb()
        openbox = None
        try:
            env = dict(os.environ, DISPLAY=display)
            ready = os.path.join(work, "wm-ready")
            openbox = subprocess.Popen(["openbox", "--sm-disable", "--startup", f"touch {ready}"], env=env,
                                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            wait_for(lambda: os.path.exists(ready), "openbox")
            env["OLLO_A11Y_WORK"] = work
            return subprocess.call(["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
                                    "--inner", program, content], env=env)
        finally:
            for process in (openbox, xvfb):
                if process is not None:
                    process.terminate()
                    process.wait(timeout=30)


def stop(process):
    if process is not None and process.poll() is None:
        process.terminate()
        try:
            process.wait(timeout=30)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()


class Listener:
    """Speech Dispatcher and Orca, private to this session, Orca speaking German.

    Orca writes what it says to `spoken` as it says it; its whole debug log is
    kept beside it for a failure. Speech Dispatcher's silent module plays into
    ALSA's null device."""

    def __init__(self, work):
        self.folder = os.path.join(work, "orca")
        self.spoken = os.path.join(self.folder, "spoken.txt")
        self.debug_log = os.path.join(self.folder, "debug.txt")
        self.speech_log = os.path.join(self.folder, "speech-dispatcher")
        self.socket = os.path.join(self.folder, "speechd.sock")
        self.speechd = None
        self.orca = None

    def start(self):
        prefs = os.path.join(self.folder, "prefs")
        config = os.path.join(self.folder, "speechd-config")
        for folder in (prefs, config, self.speech_log):
            os.makedirs(folder)
        with open(os.path.join(config, "speechd.conf"), "w") as conf:
            conf.write('LogLevel 5\nAudioOutputMethod "alsa"\nAudioALSADevice "null"\n'
                       'AddModule "dummy" "sd_dummy" ""\nDefaultModule dummy\nDefaultLanguage "de"\n')
        env = dict(os.environ, HOME=self.folder, XDG_RUNTIME_DIR=self.folder, XDG_CONFIG_HOME=prefs,
                   XDG_DATA_HOME=prefs, XDG_CACHE_HOME=prefs, LC_ALL="C.UTF-8", LANGUAGE="de",
                   GSETTINGS_BACKEND="memory", SPEECHD_ADDRESS="unix_socket:" + self.socket)
        env.pop("LANG", None)
        self.speechd = subprocess.Popen(
            ["speech-dispatcher", "--run-single", "--timeout", "0", "--communication-method", "unix_socket",
             "--socket-path", self.socket, "--config-dir", config, "--log-dir", self.speech_log],
            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: os.path.exists(self.socket) or self.speechd.poll() is not None, "Speech Dispatcher")
        if self.speechd.poll() is not None:
            raise AssertionError(f"Speech Dispatcher ended at once (code {self.speechd.returncode})")

        # A German voice for everything Orca says, and its words in German.
        german = {"established": True, "family": {"name": "dummy", "lang": "de", "dialect": "", "variant": None}}
        with open(os.path.join(prefs, "user-settings.conf"), "w") as settings:
            json.dump({"general": {"voices": {"default": german, "system": german, "hyperlink": german,
                                              "uppercase": dict(german, **{"average-pitch": 7.0})}},
                       "profiles": {"default": {"profile": ["Default", "default"]}},
                       "pronunciations": {}, "keybindings": {}}, settings)
        # Orca's own place for additions: each spoken line to a file as it is
        # spoken (the debug log is written in blocks).
        with open(os.path.join(prefs, "orca-customizations.py"), "w") as additions:
            additions.write(
                "import logging\n"
                f"_spoken = logging.FileHandler({self.spoken!r}, encoding='utf-8')\n"
                "_spoken.setFormatter(logging.Formatter('%(message)s'))\n"
                "logging.getLogger('speech').addHandler(_spoken)\n")
        # Started through the interpreter, so that its process is not named
        # "orca": Orca refuses to start beside another one of the same user,
        # such as a parallel test's or the developer's own.
        orca = shutil.which("orca")
        self.orca = subprocess.Popen([sys.executable, orca, "--user-prefs", prefs, "--debug-file", self.debug_log],
                                     env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        wait_for(lambda: self.lines() or self.orca.poll() is not None, "Orca's first words", timeout=60)
        if self.orca.poll() is not None:
            raise AssertionError(f"Orca ended at once (code {self.orca.returncode})")

    def stop(self):
        stop(self.orca)
        stop(self.speechd)

    def lines(self):
        """What Orca has said so far, one utterance a line."""
        try:
            with open(self.spoken, encoding="utf-8") as file:
                text = file.read()
        except FileNotFoundError:
            return []
        result = []
        for line in text.splitlines():
            match = re.match(r"SPEECH OUTPUT: '(.*)'(?: \{.*\})?$", line)
            if match:
                result.append(match.group(1))
        return result

    def mark(self):
        return len(self.lines())

    def dispatched(self, words):
        """Whether Speech Dispatcher got words to speak, and in German."""
        try:
            with open(os.path.join(self.speech_log, "speech-dispatcher.log"), encoding="utf-8",
                      errors="replace") as file:
                log = file.read()
        except FileNotFoundError:
            return False
        # Orca sends SSML with a mark before every word.
        text = re.sub(r"<mark name=\"[^\"]*\"/>", "", log)
        return "SET self LANGUAGE de" in log and words in text

    def heard(self, mark, text):
        """The first utterance since mark that holds text, or None."""
        for line in self.lines()[mark:]:
            if text in line:
                return line
        return None


class Reader:
    """The program's accessibility tree and the events it sends."""

    def __init__(self, pyatspi):
        from gi.repository import GLib
        self.pyatspi = pyatspi
        self.context = GLib.MainContext.default()
        self.events = []
        pyatspi.Registry.registerEventListener(self.heard, "focus:")
        self.app = None

    def heard(self, event):
        try:
            source = event.source
            self.events.append((event.type, source.getRoleName(), source.name, source.description))
        except Exception:  # the object may be gone already
            pass

    def pump(self):
        while self.context.iteration(False):
            pass

    def wait(self, condition, what, timeout=30.0):
        def pumped():
            self.pump()
            try:
                return condition()
            except Exception:  # windows come and go while we look
                return None
        return wait_for(pumped, what, timeout)

    def find_app(self, pid):
        def app():
            for candidate in self.pyatspi.Registry.getDesktop(0):
                if candidate is not None and candidate.get_process_id() == pid:
                    return candidate
            return None
        self.app = self.wait(app, "the program on the accessibility bus")

    def window(self, name):
        """The top-level window of that name, once it is active."""
        def active():
            for window in self.app:
                if window is not None and window.name == name and \
                        window.getState().contains(self.pyatspi.STATE_ACTIVE):
                    return window
            return None
        try:
            return self.wait(active, f"the active window \"{name}\"")
        except AssertionError as failure:
            windows = [(w.name, w.getState().contains(self.pyatspi.STATE_ACTIVE)) for w in self.app if w]
            raise AssertionError(f"{failure}; windows (name, active): {windows}; menu open: "
                                 f"{menu_open(self)}; last events: {self.events[-25:]}") from None

    def heard_since(self, mark, kind, role, name=None):
        for event in self.events[mark:]:
            if event[0].startswith(kind) and event[1] == role and (name is None or event[2] == name):
                return event
        return None


def walk(node):
    yield node
    for child in node:
        if child is not None:
            yield from walk(child)


def all_named(window):
    """Controls and pictures without a name, as (role, description) pairs."""
    return [(node.getRoleName(), node.description) for node in walk(window)
            if node.getRoleName() in MUST_BE_NAMED and not node.name.strip()]


def child(window, role, name=None):
    for node in walk(window):
        if node.getRoleName() == role and (name is None or node.name == name):
            return node
    raise AssertionError(f"no {role} \"{name}\" in \"{window.name}\"")


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def focused(reader, window):
    for node in walk(window):
        if node.getState().contains(reader.pyatspi.STATE_FOCUSED):
            return node
    return None


def keys(*names):
    subprocess.check_call(["xdotool", "key", "--clearmodifiers", *names])


def type_text(text):
    subprocess.check_call(["xdotool", "type", "--clearmodifiers", text])


def menu_open(reader):
    return any(node.getRoleName() == "popup menu" and node.getState().contains(reader.pyatspi.STATE_SHOWING)
               for node in walk(reader.app))


def from_menu(reader, listener, steps, window_name):
    """Opens "Kleines 1X1" with F10 and goes down to its first item, then
    presses each step's keys and waits for the menu item it names (None: the
    window), each key only once Orca said where it led. F10 rather than
    Alt+K: the program gets each key only once Orca let it pass, and a K
    overtaking its Alt there would not open the menu. On a busy machine the
    window manager sometimes takes a menu away as soon as it opened; then the
    menu is opened again, at most three times. F10 sent just as a window
    closed may reach no window at all; then it is sent again."""
    def reached(mark, said, item):
        return reader.heard_since(mark, "focus", "menu item", item) and listener.heard(said, item)

    for attempt in range(3):
        mark, said = len(reader.events), listener.mark()
        keys("F10")
        try:
            reader.wait(lambda: reached(mark, said, "Kleines 1X1") and menu_open(reader), "the menu", timeout=15.0)
            keys("Down")
            reader.wait(lambda: reached(mark, said, "1-er Reihe"), "its first item", timeout=15.0)
        except AssertionError:
            if attempt == 2:
                raise
            # A menu left open would take the next F10.
            if menu_open(reader):
                keys("Escape", "Escape")
                reader.wait(lambda: not menu_open(reader), "the menu to close")
            continue
        outcome = None
        for names, item in steps:
            keys(*names)
            target = item or window_name
            if item:
                outcome = reader.wait(lambda: "there" if reached(mark, said, item)
                                      else "gone" if not menu_open(reader) else None, f"\"{target}\"")
            else:
                # The menu closes before the window is there.
                try:
                    outcome = reader.wait(lambda: "there" if any(w and w.name == window_name for w in reader.app)
                                          else None, f"\"{target}\"", timeout=15.0)
                except AssertionError:
                    outcome = "gone"
            if outcome == "gone":
                break
        if outcome == "there":
            return reader.window(window_name)
    raise AssertionError(f"the menu never led to \"{window_name}\"")


def speech_thread_runs(pid):
    """The program's speech thread is named "speech" while it exists."""
    for task in os.listdir(f"/proc/{pid}/task"):
        try:
            with open(f"/proc/{pid}/task/{task}/comm") as comm:
                if comm.read().strip() == "speech":
                    return True
        except OSError:
            pass
    return False


def check(results, what, condition):
    if not condition:
        raise AssertionError(what)
    results.append(what)
    print(f"PASS: {what}")


class Transcript:
    """What the child must hear, in order, checked against what Orca said."""

    def __init__(self, listener):
        self.listener = listener
        self.expected = []  # (what, the words)

    def wait(self, mark, what, words, timeout=30.0):
        """Waits until Orca said words since mark."""
        try:
            return wait_for(lambda: self.listener.heard(mark, words), f"Orca to say \"{words}\" ({what})", timeout)
        except AssertionError as failure:
            said = "\n    ".join(self.listener.lines()[mark:]) or "(nothing)"
            raise AssertionError(f"{failure}; Orca said meanwhile:\n    {said}") from None

    def expect(self, mark, what, words, timeout=30.0):
        """Waits for words the child must hear here, once, in this order."""
        self.expected.append((what, words))
        return self.wait(mark, what, words, timeout)

    def news_heard(self):
        """Every expected piece in what Orca said, longest first, in order."""
        pieces = sorted({words for _, words in self.expected}, key=len, reverse=True)
        pattern = re.compile("|".join(re.escape(words) for words in pieces))
        return [match.group(0) for line in self.listener.lines() for match in pattern.finditer(line)]

    def mismatch(self):
        """None when the news came in order, each once; else what differs."""
        heard = self.news_heard()
        wanted = [words for _, words in self.expected]
        if heard == wanted:
            return None
        for index, (what, words) in enumerate(self.expected):
            if index >= len(heard) or heard[index] != words:
                return (f"{what} (\"{words}\") should be piece {index + 1}; heard instead: "
                        f"{heard[index:index + 3] or 'nothing'}")
        return f"heard more than expected: {heard[len(wanted):]}"


class Drill:
    """One drill by keyboard, as a child does it: each key only once the
    child heard what the window says."""

    def __init__(self, reader, transcript):
        self.reader = reader
        self.transcript = transcript
        self.listener = transcript.listener
        self.window = None
        self.answer = None

    def task(self):
        """The task in words, as its label names it, and its answer."""
        labels = [node.name for node in walk(self.window) if node.getRoleName() == "label"]
        words = [name for name in labels if re.fullmatch(r"\S+ mal eins", name)]
        if len(words) != 1:
            raise AssertionError(f"no single task in words among the labels {labels}")
        return words[0], str(NUMBER_WORDS.index(words[0].split()[0]) + 1)

    def in_answer_field(self):
        return focused(self.reader, self.window) == self.answer

    def heard_field(self, mark):
        """The answer field read as the window gets the keyboard."""
        self.transcript.wait(mark, "the answer field", "Antwort")

    def open(self, title):
        mark = self.listener.mark()
        self.window = from_menu(self.reader, self.listener, [(["Return"], None)], title)
        self.answer = child(self.window, "text", "Antwort")
        self.reader.wait(self.in_answer_field, "the answer field's focus")
        spoken, _ = self.task()
        self.transcript.expect(mark, "the first task", spoken)
        self.heard_field(mark)

    def type_answer(self, text):
        type_text(text)
        self.reader.wait(lambda: text_of(self.answer) == text, f"the typed {text}")

    def right(self):
        _, answer = self.task()
        self.type_answer(answer)
        mark = self.listener.mark()
        keys("Return")
        self.transcript.expect(mark, "the praise", PRAISE)
        if not self.in_answer_field():
            raise AssertionError("the praise took the keyboard out of the answer field")

    def next_task(self):
        mark = self.listener.mark()
        keys("Return")  # "Weiter"
        self.reader.wait(lambda: text_of(self.answer) == "" and child(self.window, "push button", "OK"),
                         "the next task")
        spoken, _ = self.task()
        self.transcript.expect(mark, "the next task", spoken)
        if not self.in_answer_field():
            raise AssertionError("the next task took the keyboard out of the answer field")

    def wrong(self):
        self.type_answer("0")
        mark = self.listener.mark()
        keys("Return")
        dialog = self.reader.window("Oh! Oooooh!")
        self.transcript.expect(mark, "the wrong-answer question", QUESTION)
        self.transcript.wait(mark, "its focused button", "Lösen")
        return dialog

    def again(self):
        spoken, _ = self.task()
        mark = self.listener.mark()
        keys("Escape")  # "NOCHMALS"
        self.reader.window(self.window.name)
        self.reader.wait(lambda: self.in_answer_field() and text_of(self.answer) == "", "the emptied answer field")
        self.transcript.expect(mark, "the task again", spoken)
        self.heard_field(mark)

    def solve(self):
        spoken, answer = self.task()
        mark = self.listener.mark()
        keys("Return")  # "Lösen", which has the focus
        self.reader.window(self.window.name)
        self.reader.wait(lambda: text_of(self.answer) == answer, "the solution in the answer field")
        self.transcript.expect(mark, "the task with the window", spoken)
        self.transcript.expect(mark, "the solution", f"{spoken} ist {NUMBER_WORDS[int(answer) - 1]}")

    def last(self, reward_title):
        """"Weiter" after the last task: the reward's window, or the main window."""
        mark = self.listener.mark()
        keys("Return")
        return mark, self.reader.window(reward_title or MAIN_TITLE)


def inner(program, content):
    work = os.environ["OLLO_A11Y_WORK"]
    launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    listener = Listener(work)
    ollo = None
    try:
        # Asked without starting it, so that the bus does not start a second one.
        wait_for(lambda: b"boolean true" in subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.freedesktop.DBus", "/org/freedesktop/DBus",
             "org.freedesktop.DBus.NameHasOwner", "string:org.a11y.Bus"], capture_output=True).stdout,
            "the accessibility bus")
        import gi
        gi.require_version("Atspi", "2.0")
        import pyatspi

        listener.start()
        config = os.path.join(work, "config")
        runtime = os.path.join(work, "runtime")
        os.makedirs(config)
        os.makedirs(runtime, mode=0o700)
        ini_file = os.path.join(config, "ollo.INI")
        with open(ini_file, "wb") as ini:
            ini.write(b"[Parameter]\r\nAufgaben=2\r\nBelohnungsart=1\r\nWitze=1\r\nSound=0\r\n"
                      b"[Lobe]\r\nAnzahl=1\r\nLob1=" + PRAISE.encode("cp1252") + b"\r\n")
        with open(os.path.join(content, "default.INI"), "rb") as defaults:
            pictures = defaults.read().split(b"[Bilder]")[1].split(b"[")[0]
        with open(ini_file, "ab") as ini:
            ini.write(b"[Bilder]" + pictures)
        env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_CONFIG_HOME=config,
                   XDG_RUNTIME_DIR=runtime, HOME=work, OLLO_DATA=content, LC_ALL="C.UTF-8",
                   PULSE_SERVER="unix:" + os.path.join(work, "no-sound"),
                   # No speech service for the program: the switch must say so.
                   SPEECHD_ADDRESS="unix_socket:" + os.path.join(work, "no-speech"))
        env.pop("QT_QPA_PLATFORM", None)
        ollo = subprocess.Popen([program], env=env, cwd=work)
        reader = Reader(pyatspi)
        reader.find_app(ollo.pid)
        results = []
        transcript = Transcript(listener)

        frame = reader.window(MAIN_TITLE)
        check(results, "main window: every control and picture named", all_named(frame) == [])
        check(results, "main window: backdrop named", child(frame, "filler", "Hintergrundbild"))

        # The window manager is done with the window once it is maximised; a
        # menu opened before may close again at a late change of focus.
        reader.wait(lambda: frame.queryComponent().getExtents(pyatspi.DESKTOP_COORDS).width >= 1280,
                    "the maximised main window")
        reader.window(frame.name)

        # A drill without a mistake: right, then wrong with NOCHMALS and right.
        drill = Drill(reader, transcript)
        drill.open("1-er Reihe")
        check(results, "drill: every control named", all_named(drill.window) == [])
        drill.right()
        drill.next_task()
        wrong = drill.wrong()
        check(results, "wrong answer: every button and picture named", all_named(wrong) == [])
        drill.again()
        drill.right()
        mark, joke = drill.last("Und jetzt ein lustiger Witz !")
        with open(os.path.join(content, "witz1.txt"), "rb") as file:
            first_line = " ".join(file.read().decode("cp1252").splitlines()[0].split())
        transcript.expect(mark, "the joke", first_line)
        transcript.wait(mark, "its button", "OK")
        check(results, "joke: every control named", all_named(joke) == [])
        check(results, "no speech thread while Vorlesen is unused", not speech_thread_runs(ollo.pid))
        keys("Return")
        reader.window(MAIN_TITLE)

        # A drill with a solution: wrong with LÖSEN, then right; no reward.
        solved = Drill(reader, transcript)
        solved.open("1-er Reihe")
        solved.wrong()
        solved.solve()
        solved.next_task()
        solved.right()
        solved.last(None)

        check(results, f"Orca said each piece once, in order: {transcript.mismatch() or 'yes'}",
              transcript.mismatch() is None)
        wait_for(lambda: listener.dispatched(PRAISE), "Speech Dispatcher to get the praise in German")
        check(results, "Speech Dispatcher got what Orca said, in German", True)
        print("Orca said:\n    " + "\n    ".join(listener.lines()))

        # The menu bar by keyboard, each step once Orca said the one before.
        for key, words in MENU_WALK:
            mark = listener.mark()
            keys(key)
            transcript.wait(mark, f"{key} in the menus", words[-1])
            said = [line.rstrip(".") for line in listener.lines()[mark:] if line.strip() not in (key, "")]
            # The window itself may come first, as the keyboard enters the bar.
            check(results, f"menus: {key} is heard as {said}", said[-len(words):] == words)
        keys("Escape", "Escape")
        reader.wait(lambda: not menu_open(reader), "the menus to close")

        # "Optionen" → "Einstellungen": the reward by keyboard alone. Tab lands
        # on the ticked "Witze", Up ticks "Bilder", Enter is OK.
        sheet = from_menu(reader, listener, [(["Left", "Left"], "Statusleiste"), (["Down"], "Einstellungen"),
                                             (["Return"], None)], "Einstellungen")
        check(results, "Einstellungen: every control named", all_named(sheet) == [])
        for key, words in (("Tab", "Witze"), ("Up", "Bilder")):
            mark = listener.mark()
            keys(key)
            transcript.wait(mark, f"{key} among the rewards", words)
            check(results, f"Einstellungen: {key} reaches the ticked \"{words}\"",
                  reader.wait(lambda: focused(reader, sheet), "focus").name == words and
                  focused(reader, sheet).getState().contains(pyatspi.STATE_CHECKED))
        keys("Return")
        reader.window(MAIN_TITLE)
        with open(ini_file, "rb") as ini:
            check(results, "Einstellungen: OK stored the pictures", b"Belohnungsart=0\r\n" in ini.read())

        # A drill without a mistake: the picture reward says what it shows.
        pictured = Drill(reader, transcript)
        pictured.open("1-er Reihe")
        pictured.right()
        pictured.next_task()
        pictured.right()
        mark, picture = pictured.last("Und jetzt ein hübsches Bild ")
        words = reader.wait(lambda: picture.description, "the picture's description")
        check(results, f"picture: described as \"{words}\"", words != "Ein Bild zur Belohnung.")
        transcript.expect(mark, "the picture", words)
        transcript.wait(mark, "its button", "OK")
        keys("Return")
        reader.window(MAIN_TITLE)
        check(results, f"Orca said each piece once, in order: {transcript.mismatch() or 'yes'}",
              transcript.mismatch() is None)

        # "Optionen" → "Lernfortschritt...": opened without stray words of the
        # legend, and the grid read a cell at a time.
        mark = listener.mark()
        progress = from_menu(reader, listener, [(["Left", "Left"], "Statusleiste"), (["Up"], "Kind wechseln..."),
                                                (["Up"], "Lernfortschritt..."), (["Return"], None)],
                             "Lernfortschritt")
        # Read with the window: the title, then the summary of the drills.
        transcript.wait(mark, "the progress window's summary", "Seit dem")
        check(results, "Lernfortschritt: every control named", all_named(progress) == [])
        grid = child(progress, "table", "Kleines Einmaleins")
        for _ in range(3):
            if focused(reader, progress) == grid:
                break
            # Wait for the focus to move, or a busy machine sees the old one and
            # Tabs past the grid.
            before = focused(reader, progress)
            keys("Tab")
            reader.wait(lambda: focused(reader, progress) not in (None, before),
                        "the focus to move in the progress window")
        check(results, "Lernfortschritt: Tab reaches the grid", reader.wait(
            lambda: focused(reader, progress) == grid, "the grid's focus"))
        for key, cell, neighbour in (("Down", "2 mal 1 gleich 2", "2 mal 2 gleich 4"),
                                     ("Down", "3 mal 1 gleich 3", "3 mal 2 gleich 6"),
                                     ("Right", "3 mal 2 gleich 6", "4 mal 2 gleich 8")):
            step = listener.mark()
            keys(key)
            said = transcript.wait(step, f"{key} in the grid", cell)
            check(results, f"Lernfortschritt: {key} reads the cell alone: \"{said}\"", neighbour not in said)
        opening = " ".join(listener.lines()[mark:])
        check(results, "Lernfortschritt: no stray legend words as it opens",
              "richtig, aber langsam" not in opening.split("Kleines Einmaleins")[0])
        keys("Escape")
        reader.window(MAIN_TITLE)

        # "Optionen" → "Sound": two menus left of "Kleines 1X1", wrapping round.
        sound = from_menu(reader, listener, [(["Left", "Left"], "Statusleiste"), (["Down", "Down", "Down"], "Sound"),
                                   (["Return"], None)], "Sound")
        check(results, "sound: every control named", all_named(sound) == [])
        read_aloud = child(sound, "check box", "Aufgaben vorlesen")
        reason = reader.wait(lambda: read_aloud.description if "antwortet nicht" in read_aloud.description
                             else None, "the reason why nothing is read", timeout=120)
        check(results, f"sound: without a speech service the switch is greyed: \"{reason}\"",
              not read_aloud.getState().contains(pyatspi.STATE_ENABLED))
        # A greyed switch takes no focus: the reason is a line of its own.
        check(results, "sound: the reason is a line in the window, read without a mouse",
              reader.wait(lambda: any(node.getRoleName() == "label" and node.name == reason
                                      for node in walk(sound)), "the reason's line"))
        keys("Escape")
        reader.window(MAIN_TITLE)

        ollo.send_signal(signal.SIGTERM)
        check(results, "the program ends with code 0", ollo.wait(timeout=60) == 0)
        ollo = None
        print(f"{len(results)} passed, 0 failed")
        return 0
    except AssertionError as failure:
        print(f"FAIL: {failure}")
        print("1 failed")
        return 1
    finally:
        if ollo is not None:
            ollo.kill()
            ollo.wait()
        listener.stop()
        stop(launcher)
        if os.environ.get("OLLO_A11Y_KEEP"):
            shutil.copytree(listener.folder, os.environ["OLLO_A11Y_KEEP"], dirs_exist_ok=True,
                            ignore=shutil.ignore_patterns("*.sock", "at-spi2-*"))


def main():
    if len(sys.argv) == 4 and sys.argv[1] == "--inner":
        return inner(sys.argv[2], sys.argv[3])
    if len(sys.argv) != 3:
        print(__doc__)
        return 2
    return outer(os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2]))


if __name__ == "__main__":
    sys.exit(main())
