"""The end-to-end scenarios. Each runs in a fresh X server, D-Bus session and set of
folders (see harness.py); add one with a function decorated with @scenario."""
import os
import subprocess
import sys
import time

from harness import (PYTHON, Skip, check, children, dump, find, find_all, key_binding, labelled_by,
                     scenario, states, wait_until)

STOP_LINE = "[EXIT] Tavrolune logger stopped"

# Menu 100 as the user meets it: the resource text and the key GTK shows for it.
MENUS = [
    ("&File", [
        ("&Open...", "<Primary>o"),
        ("Add &Folder...", "<Primary><Shift>o"),
        ("&Playlist...", "<Primary>p"),
        ("Open &URL...", "<Primary>u"),
        ("&YouTube...", "<Primary>y"),
        ("&Radio...", "<Primary>r"),
        ("&Add Stream to Favorites...", "<Primary>d"),
        ("&Podcasts...", "<Primary><Shift>p"),
        ("&Schedule...", "<Primary>s"),
        ("Song &History...", "<Primary><Shift>h"),
        ("Recent &Files", [("(Empty)", "")]),
        ("&Hide to Tray", "<Primary>h"),
        ("O&ptions...", "<Primary>comma"),
        ("E&xit", "<Alt>F4"),
    ]),
    ("&Playback", [
        ("&Play", "x"),
        ("Pa&use", "c"),
        ("Play/Pause", "space"),
        ("&Stop", "v"),
        ("P&revious", "z"),
        ("&Next", "b"),
        ("S&huffle", "h"),
        ("R&epeat", "e"),
        ("Seek &Backward", "Left"),
        ("Seek &Forward", "Right"),
        ("&Beginning", "Home"),
        ("&Jump to Time...", "j"),
        ("Volume &Up", "Up"),
        ("Volume &Down", "Down"),
        ("Speak &Elapsed", "<Primary><Shift>e"),
        ("Speak &Remaining", "<Primary><Shift>r"),
        ("Speak &Total", "<Primary><Shift>t"),
    ]),
    ("&Video", [
        ("&Fullscreen", "F11"),
        ("Cycle &Subtitles", ""),
        ("&Load Subtitle File...", ""),
        ("Subtitles &Off", ""),
        ("Cycle &Audio Track", ""),
        ("Cycle Aspect &Ratio", ""),
        ("Take Scr&eenshot", ""),
    ]),
    ("&Help", [
        ("&Readme", ""),
        ("Check for &Updates...", ""),
        ("&Loaded Plugins...", ""),
        ("&Test YouTube playback", ""),
        ("C&lear YouTube cache...", ""),
    ]),
]


def plain(text):
    return text.replace("&", "")


def mnemonic(text):
    i = text.find("&")
    return text[i + 1].lower() if i >= 0 else ""


def check_menu(menu, expected, path):
    items = [c for c in children(menu) if c.getRoleName() != "separator"]
    names = [c.name for c in items]
    check(names == [plain(t) for t, _ in expected], f"{path}: items {names}")
    for item, (text, key) in zip(items, expected):
        where = f"{path} > {item.name}"
        binding = item.queryAction().getKeyBinding(0).split(";")
        check(binding[0] == mnemonic(text), f"{where}: mnemonic {binding[0]!r}")
        if isinstance(key, list):
            check(item.getRoleName() == "menu", f"{where}: role {item.getRoleName()}")
            check_menu(item, key, where)
        else:
            check(key_binding(item) == key, f"{where}: key {key_binding(item)!r}, expected {key!r}")


@scenario
def menu_items_are_named_with_their_keys(ctx):
    app = ctx.start()
    app.window()
    root = app.accessible()
    bar = wait_until(lambda: find(root, "menu bar"), 5, what="the menu bar")
    menus = children(bar)
    check([m.name for m in menus] == [plain(t) for t, _ in MENUS], f"menus {[m.name for m in menus]}")
    for menu, (text, items) in zip(menus, MENUS):
        check(key_binding(menu) == "" and menu.queryAction().getKeyBinding(0).startswith(f"<Alt>{mnemonic(text)}"),
              f"{menu.name}: {menu.queryAction().getKeyBinding(0)!r}")
        check_menu(menu, items, plain(text))
    shuffle = find(bar, "check menu item", "Shuffle")
    check(shuffle is not None, "Shuffle is a check item")
    check("enabled" not in states(find(bar, "menu item", "(Empty)")), "(Empty) is grayed")
    # The window's own parts are named too.
    frame = find(root, "frame", "Tavrolune")
    check(frame is not None, "\n".join(dump(root)))
    check(find(frame, "status bar") is not None, "the status bar has its role")
    client = find(frame, "panel", "Tavrolune")
    check(client is not None and "focused" in states(client), "the client area holds the focus")


# Keys of the main window and the command each must reach.
KEYS = [("space", 201), ("x", 212), ("c", 213), ("v", 202), ("b", 204), ("z", 203),
        ("0", 260)] + [(str(d), 260 + d) for d in range(1, 10)] + [
        ("bracketleft", 230), ("bracketright", 231), ("comma", 220), ("period", 221),
        ("Up", 232), ("Down", 233), ("Left", 205), ("Right", 206),
        ("ctrl+Up", 207), ("ctrl+Down", 208), ("ctrl+shift+t", 211)]


@scenario
def bare_keys_reach_their_commands(ctx):
    app = ctx.start()
    app.window()
    app.focus()
    for k, _ in KEYS:
        app.key(k)
    got = ctx.wait_commands(len(KEYS))
    check(got == [c for _, c in KEYS], f"commands {got}")


@scenario
def shift_zero_reaches_the_file_name_box(ctx):
    # wx reads Shift+0 as ")"; the key handler still finds the 0 key.
    app = ctx.start()
    app.window()
    app.focus()
    app.key("shift+0")
    check(ctx.wait_commands(1) == [279], f"commands {ctx.commands()}")


def open_url_dialog(app):
    app.focus()
    app.key("ctrl+u")
    root = app.accessible()
    try:
        return wait_until(lambda: find(root, "dialog", "Open URL"), 5, what="the Open URL dialog")
    except AssertionError:
        raise AssertionError("no Open URL dialog in:\n" + "\n".join(dump(root)))


@scenario
def ctrl_u_opens_the_url_dialog(ctx):
    app = ctx.start()
    app.window()
    dialog = open_url_dialog(app)
    field = find(dialog, "text")
    check(field is not None, "\n".join(dump(dialog)))
    label = "Enter stream URL (http/https):"
    check(field.name == label or label in labelled_by(field),
          f"field named {field.name!r}, labelled by {labelled_by(field)}")
    check(find(dialog, "label", label) is not None, "the label is shown")
    buttons = [b.name for b in find_all(dialog, "push button")]
    check(buttons == ["OK", "Cancel"], f"buttons {buttons}")
    check(field.queryText().getText(0, -1) == "", "nothing on the clipboard, nothing filled in")
    find(dialog, "push button", "Cancel").queryAction().doAction(0)
    wait_until(lambda: find(app.accessible(), "dialog", "Open URL") is None, 5, what="the dialog to close")
    check(ctx.commands() == [104], f"commands {ctx.commands()}")
    check(ctx.records("starttrack") == [], "Cancel opens nothing")
    # The main window's keys work again.
    app.focus()
    app.key("1")
    check(ctx.wait_commands(2) == [104, 261], f"commands {ctx.commands()}")


CLIPBOARD_OWNER = r"""
import sys
import gi
gi.require_version("Gtk", "3.0")
from gi.repository import Gtk, GLib
clip = Gtk.Clipboard.get_for_display(__import__("gi.repository.Gdk", fromlist=["Gdk"]).Display.get_default(),
                                     __import__("gi.repository.Gdk", fromlist=["Gdk"]).SELECTION_CLIPBOARD)
clip.set_text(sys.argv[1], -1)
clip.store()
print("ready", flush=True)
Gtk.main()
"""


@scenario
def the_url_dialog_offers_a_copied_address(ctx):
    url = "HTTP://127.0.0.1:9/stream.mp3"
    owner = subprocess.Popen([PYTHON, "-c", CLIPBOARD_OWNER, url], stdout=subprocess.PIPE,
                             stderr=subprocess.DEVNULL)
    try:
        check(owner.stdout.readline().strip() == b"ready", "the clipboard owner started")
        app = ctx.start()
        app.window()
        dialog = open_url_dialog(app)
        field = find(dialog, "text")
        text = wait_until(lambda: field.queryText().getText(0, -1), 5, what="the prefilled address")
        check(text == url, f"field holds {text!r}")
        find(dialog, "push button", "OK").queryAction().doAction(0)
        rows = wait_until(lambda: ctx.records("starttrack"), 5, what="the address to start")
        check(rows == [["starttrack", "0", url]], f"started {rows}")
    finally:
        owner.kill()
        owner.wait()


def exits_cleanly(ctx, app):
    check(app.wait_exit(10) == 0, "exit code 0")
    lines = wait_until(lambda: ctx.log_lines(), 2, what="the log")
    check(lines[0].endswith("[INIT] Tavrolune logger started"), f"log starts with {lines[0]!r}")
    check(lines[-1].endswith(STOP_LINE), f"log ends with {lines[-1]!r}")


@scenario
def alt_f4_runs_the_shutdown(ctx):
    app = ctx.start()
    app.window()
    app.focus()
    app.key("alt+F4")
    exits_cleanly(ctx, app)
    check(ctx.commands() == [102], f"commands {ctx.commands()}")


@scenario
def file_exit_runs_the_shutdown(ctx):
    app = ctx.start()
    app.window()
    app.focus()
    app.key("alt+f")
    root = app.accessible()
    wait_until(lambda: "showing" in states(find(root, "menu item", "Exit")), 5, what="the File menu")
    app.key("x")
    exits_cleanly(ctx, app)


@scenario
def a_second_start_hands_its_files_over(ctx):
    a = ctx.tone("A.ogg")
    b = ctx.tone("B.ogg", hz=660)
    first = ctx.start()
    first.window()
    second = ctx.start(a, b)
    deadline = time.monotonic() + 15
    while second.running() and time.monotonic() < deadline:
        check(second.windows() == [], "the second start shows no window")
        time.sleep(0.05)
    check(second.wait_exit(1) == 0, "the second start ends with 0")
    got = wait_until(lambda: len(ctx.records("copydata")) >= 2 and ctx.records("copydata"), 5,
                     what="both files at the first instance")
    check(got == [["copydata", "1", a], ["copydata", "2", b]], f"received {got}")
    started = wait_until(lambda: ctx.records("starttrack"), 5, what="the batch to start")
    check(started == [["starttrack", "0", a, b]], f"started {started}")
    check(first.running() and len(first.windows()) == 1, "the first instance still runs")


@scenario
def a_second_start_without_files_opens_nothing(ctx):
    first = ctx.start()
    first.window()
    second = ctx.start()
    check(second.wait_exit(10) == 0, "exit code 0")
    check(ctx.records("copydata") == [], "nothing handed over")


@scenario
def multiple_instances_allowed_opens_a_second_window(ctx):
    ctx.write_settings("[Playback]\nAllowMultipleInstances=1\n")
    first = ctx.start()
    first.window()
    second = ctx.start()
    second.window()
    check(first.running() and second.running(), "two players run")
    # Files still go to the first player, also after the second one closed.
    second.focus()
    second.key("alt+F4")
    check(second.wait_exit(10) == 0, "the second player closes")
    song = ctx.tone("later.ogg", seconds=1)
    third = ctx.start(song)
    check(third.wait_exit(15) == 0, "a start with a file hands it over")
    got = wait_until(lambda: ctx.records("copydata"), 5, what="the file at the first player")
    check(got == [["copydata", "1", song]], f"received {got}")


@scenario
def a_file_on_the_command_line_opens_the_window(ctx):
    demo = ctx.tone("demo.ogg")
    app = ctx.start(demo)
    app.window()
    check(app.title().startswith("Tavrolune"), f"title {app.title()!r}")
    check(ctx.records("starttrack") == [["starttrack", "0", demo]], f"started {ctx.records('starttrack')}")


@scenario
def a_file_on_the_command_line_is_heard(ctx):
    demo = ctx.tone("demo.ogg", seconds=3)
    app = ctx.start(demo)
    app.window()
    # SDL's disk driver creates its file when the engine opens the output.
    try:
        wait_until(lambda: os.path.exists(ctx.audio_file), 5, what="the audio output")
    except AssertionError:
        raise Skip("the audio engine opened no output (not built yet)")

    def loud():
        samples = ctx.audio_samples() or ()
        if len(samples) < 44100:  # half a second of stereo
            return None
        check(all(abs(s) <= 2.0 for s in samples), "samples are floats in range")
        peak = max(abs(s) for s in samples)
        return peak > 0.03 and peak
    peak = wait_until(loud, 10, interval=0.2, what="audible output")
    print(f"peak {peak:.2f}", file=sys.stderr)


def click(acc):
    acc.queryAction().doAction(0)


def wait_box(app, caption, timeout=5):
    """A message box (or dialog) with this caption."""
    root = app.accessible()
    try:
        return wait_until(lambda: next((a for a in children(root) if a.name == caption), None), timeout,
                          what=f"a window {caption!r}")
    except AssertionError:
        raise AssertionError(f"no {caption!r} among {[(a.name, a.getRoleName()) for a in children(root)]}")


def box_text(box):
    return " ".join(a.name for a in find_all(box, "label"))


@scenario
def loaded_plugins_lists_the_decoders(ctx):
    app = ctx.start()
    app.window()
    app.focus()
    # By keyboard: a modal box opened from an AT-SPI action would hold up the
    # action's reply. "l" selects the first of the two items with that mnemonic.
    app.key("alt+h")
    root = app.accessible()
    wait_until(lambda: "showing" in states(find(root, "menu item", "Loaded Plugins...")), 5, what="the Help menu")
    app.key("l", "Return")
    box = wait_box(app, "Loaded Plugins")
    check("Loaded:" in box_text(box), f"box says {box_text(box)!r}")
    click(find(box, "push button", "OK"))
    wait_until(lambda: find(app.accessible(), None, "Loaded Plugins") is None or None, 5, what="the box to close")
    check(ctx.commands() == [109], f"commands {ctx.commands()}")


def fake_xdg_open(ctx, exit_code):
    """An xdg-open that notes its argument; the program finds it first on PATH."""
    bin_dir = os.path.join(ctx.dir, "bin")
    os.makedirs(bin_dir, exist_ok=True)
    log = os.path.join(ctx.dir, "xdg-open.log")
    with open(os.path.join(bin_dir, "xdg-open"), "w") as f:
        f.write(f"#!/bin/sh\necho \"$@\" >> '{log}'\nexit {exit_code}\n")
    os.chmod(os.path.join(bin_dir, "xdg-open"), 0o755)
    return {"PATH": bin_dir + ":" + os.environ["PATH"]}, log


@scenario
def readme_opens_the_docs_file(ctx):
    env, log = fake_xdg_open(ctx, 0)
    app = ctx.start(env=env)
    app.window()
    click(find(app.accessible(), "menu item", "Readme"))
    opened = wait_until(lambda: os.path.exists(log) and open(log).read().strip(), 5, what="xdg-open")
    check(opened == os.path.join(ctx.app_dir, "docs", "readme.txt"), f"opened {opened!r}")
    check(os.path.getsize(opened) > 0, "the readme is there")


@scenario
def readme_failure_says_so(ctx):
    env, _ = fake_xdg_open(ctx, 4)
    app = ctx.start(env=env)
    app.window()
    click(find(app.accessible(), "menu item", "Readme"))
    box = wait_box(app, "Readme")
    check("Could not open readme.txt." in box_text(box), f"box says {box_text(box)!r}")


@scenario
def recent_files_are_listed_and_open(ctx):
    files = [ctx.tone(f"r{i}.ogg", seconds=1) for i in range(10)]
    ctx.write_settings("[RecentFiles]\n" + "".join(f"File{i}={f}\n" for i, f in enumerate(files)))
    app = ctx.start()
    app.window()
    recent = wait_until(lambda: find(app.accessible(), "menu", "Recent Files"), 5, what="Recent Files")
    items = children(recent)
    names = [i.name for i in items]
    check(names == [f"{(i + 1) % 10} r{i}.ogg" for i in range(10)], f"items {names}")
    mnemonics = [i.queryAction().getKeyBinding(0).split(";")[0] for i in items]
    check(mnemonics == [str((i + 1) % 10) for i in range(10)], f"mnemonics {mnemonics}")
    click(items[2])
    started = wait_until(lambda: ctx.records("starttrack"), 5, what="the recent file to start")
    check(started == [["starttrack", "0", files[2]]], f"started {started}")
    check(ctx.commands() == [6002], f"commands {ctx.commands()}")


@scenario
def ctrl_o_opens_the_chosen_file(ctx):
    song = ctx.tone("chosen.ogg", seconds=1)
    app = ctx.start()
    app.window()
    app.focus()
    app.key("ctrl+o")
    dialog = wait_box(app, "Open")
    filters = [a.name for a in find_all(dialog, "menu item")]
    for name in ("All Supported", "Audio Files", "Video Files", "Playlists", "All Files (*.*)"):
        check(name in filters, f"filter {name!r} among {filters}")
    # Without a window manager the dialog gets the keyboard only when asked.
    win = wait_until(lambda: subprocess.run(["xdotool", "search", "--all", "--onlyvisible", "--pid", str(app.pid),
                                             "--name", "^Open$"], capture_output=True, text=True).stdout.split(),
                     5, what="the Open dialog window")[0]
    subprocess.run(["xdotool", "windowfocus", "--sync", win], check=True)
    app.key("ctrl+l")
    subprocess.run(["xdotool", "type", "--delay", "20", song], check=True)
    time.sleep(0.3)
    app.key("Return")
    started = wait_until(lambda: ctx.records("starttrack"), 10, what="the chosen file to start")
    check(started == [["starttrack", "0", song]], f"started {started}")


@scenario
def spoken_results_reach_the_screen_reader(ctx):
    # The announcement queue wakes the window (message 1025), which speaks.
    demo = ctx.tone("spoken.ogg", seconds=3)
    app = ctx.start(demo)
    app.window()
    app.focus()
    app.key("0")
    said = ctx.wait_for_speech(r"spoken\.ogg")
    check(ctx.commands() == [260], f"commands {ctx.commands()}")
    print(f"said {said!r}", file=sys.stderr)


NO_AUDIO_SHIM = """
int SDL_Init(unsigned flags) { (void)flags; return -1; }
int SDL_InitSubSystem(unsigned flags) { (void)flags; return -1; }
int SDL_AudioInit(const char* driver) { (void)driver; return -1; }
"""


@scenario
def without_audio_output_the_window_is_refused(ctx):
    # SDL is made to fail from a preloaded library: no output can start.
    source = os.path.join(ctx.dir, "noaudio.c")
    shim = os.path.join(ctx.dir, "noaudio.so")
    with open(source, "w") as f:
        f.write(NO_AUDIO_SHIM)
    subprocess.run(["cc", "-shared", "-fPIC", "-o", shim, source], check=True)
    app = ctx.start(env={"LD_PRELOAD": shim})
    texts, captions = [], set()
    deadline = time.monotonic() + 20
    while app.running() and time.monotonic() < deadline:
        try:
            for window in children(app.accessible(timeout=2)):
                if window.getRoleName() != "alert":
                    continue
                captions.add(window.name)
                texts += [a.name for a in find_all(window, "label") if a.name]
                click(find(window, "push button"))
        except Exception:
            pass  # a box that is closing
        time.sleep(0.2)
    check(app.wait_exit(5) == 1, "exit code 1")
    check(texts and texts[-1] == "Failed to create window.", f"boxes said {texts}")
    check(captions == {"Tavrolune"}, f"box captions {captions}")
    check(app.windows() == [] or not app.running(), "no main window")
    check(ctx.log_lines()[-1].endswith(STOP_LINE), f"log ends with {ctx.log_lines()[-1:]}")


# ---- Transport, status line and restart -------------------------------------------------------

def status_text(app):
    bar = find(app.accessible(), "status bar")
    check(bar is not None, "the status bar is there")
    return bar.name


@scenario
def track_changes_and_modes_are_spoken(ctx):
    ctx.write_settings("[Speech]\nTrackChange=1\n")
    first = ctx.tone("first.mp3", seconds=20, tags={"title": "Title One", "artist": "Artist One"})
    second = ctx.tone("second.mp3", seconds=20, tags={"title": "Title Two", "artist": "Artist Two"})
    app = ctx.start(first, second)
    app.window()
    ctx.wait_for_speech(r"^Artist One - Title One$")
    app.focus()
    app.key("b")
    ctx.wait_for_speech(r"^Artist Two - Title Two$")
    app.key("h")
    ctx.wait_for_speech(r"^Shuffle on$")
    app.key("e")
    ctx.wait_for_speech(r"^Repeat track$")
    app.key("ctrl+Down")
    ctx.wait_for_speech(r"^Volume 98%$")
    spoken = [s for s in ctx.speech() if s]
    check(all(interrupt for interrupt, _ in spoken), f"every result interrupts: {spoken}")
    app.key("z")  # within three seconds of the start: back to the first entry
    ctx.wait_for_speech(r"^Artist One - Title One$")
    check(ctx.commands()[-1] == 203, f"commands {ctx.commands()}")


@scenario
def seeking_and_the_status_bar_over_atspi(ctx):
    demo = ctx.tone("thirty.ogg", seconds=30)
    app = ctx.start(demo)
    app.window()
    text = wait_until(lambda: "Playing" in status_text(app) and status_text(app), 5, what="the playing state")
    check(text.startswith("0:00 / 0:30, Vol: 100%, Playing"), f"status bar reads {text!r}")
    check(app.title() == "Tavrolune - thirty.ogg", f"caption {app.title()!r}")
    app.focus()
    app.key("Right", "Right")
    wait_until(lambda: status_text(app).startswith("0:1"), 5, what=f"two 5 s seeks (have {status_text(app)!r})")
    app.key("ctrl+shift+t")
    ctx.wait_for_speech(r"^0:30$")
    app.key("c")
    wait_until(lambda: "Paused" in status_text(app), 5, what="the paused state")
    app.key("j")
    root = app.accessible()
    dialog = wait_until(lambda: find(root, "dialog", "Jump to Time"), 5, what="the Jump to Time dialog")
    field = find(dialog, "text")
    label = "Enter time (mm:ss or hh:mm:ss):"
    check(field is not None and (field.name == label or label in labelled_by(field)),
          "the time field is named by its label:\n" + "\n".join(dump(dialog)))
    find(dialog, "push button", "Cancel").queryAction().doAction(0)
    wait_until(lambda: find(app.accessible(), "dialog", "Jump to Time") is None, 5, what="the dialog to close")


@scenario
def the_playlist_and_the_place_survive_a_restart(ctx):
    ctx.write_settings("[Playback]\nRememberState=1\n")
    files = [ctx.tone(f"track{i}.ogg", seconds=40, hz=300 + 100 * i) for i in range(3)]
    app = ctx.start(*files)
    app.window()
    app.focus()
    app.key("b")
    wait_until(lambda: app.title() == "Tavrolune - track1.ogg", 5, what=f"the second entry (have {app.title()!r})")
    app.key("j")
    dialog = wait_until(lambda: find(app.accessible(), "dialog", "Jump to Time"), 5, what="the Jump to Time dialog")
    field = find(dialog, "text")
    field.queryEditableText().setTextContents("12.5")
    find(dialog, "push button", "OK").queryAction().doAction(0)
    wait_until(lambda: status_text(app).startswith("0:12 / 0:40"), 5, what=f"the jump (have {status_text(app)!r})")
    app.focus()
    app.key("alt+F4")
    exits_cleanly(ctx, app)
    with open(os.path.join(ctx.app_dir, "Tavrolune.ini")) as f:
        ini = f.read()
    check("CurrentTrack=1" in ini and "TrackCount=3" in ini, ini)

    again = ctx.start()
    again.window()
    wait_until(lambda: again.title() == "Tavrolune - track1.ogg", 5, what=f"the restored entry (have {again.title()!r})")
    text = wait_until(lambda: "Playing" in status_text(again) and status_text(again), 5, what="playback")
    check(text.startswith("0:12 / 0:40") or text.startswith("0:13 / 0:40"), f"restored at 12.5 s at once: {text!r}")
