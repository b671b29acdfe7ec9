"""Finding and working the program's widgets over the accessibility bus, as
a screen reader does: by their role and the text a person reads on them."""

import subprocess
import time

import pyatspi

APP_NAME = "Серия ЗЭ-23"


def application(timeout=30):
    def find():
        for app in pyatspi.Registry.getDesktop(0):
            if app is not None and app.name == APP_NAME:
                return app
        return None
    return wait_for(find, timeout, "the program on the accessibility bus")


def showing(acc):
    try:
        return acc.getState().contains(pyatspi.STATE_SHOWING)
    except Exception:
        return False


def enabled(acc):
    return acc.getState().contains(pyatspi.STATE_ENABLED)


def find_all(root, role=None, name=None, starts=None):
    """Every showing descendant of `root` with that role and name."""
    found = []

    def walk(acc):
        for child in acc:
            if child is None or not showing(child):
                continue
            if ((role is None or child.getRoleName() == role)
                    and (name is None or child.name == name)
                    and (starts is None or child.name.startswith(starts))):
                found.append(child)
            walk(child)
    walk(root)
    return found


def find(root, role=None, name=None, starts=None):
    hits = find_all(root, role, name, starts)
    return hits[0] if hits else None


def window(title, timeout=20, starts=False):
    """A top-level window of the program by its title."""
    app = application()

    def get():
        for w in app:
            if w is not None and (w.name.startswith(title) if starts else w.name == title):
                return w
        return None
    return wait_for(get, timeout, f"the window «{title}»")


def wait_for(get, timeout, what):
    end = time.monotonic() + timeout
    while True:
        try:
            value = get()
        except Exception:  # an object gone while it was looked at
            value = None
        if value:
            return value
        if time.monotonic() > end:
            raise AssertionError(f"not found in {timeout} s: {what}")
        time.sleep(0.2)


def press(acc):
    action = acc.queryAction()
    for i in range(action.nActions):
        if action.getName(i) in ("Press", "press", "click"):
            action.doAction(i)
            return
    action.doAction(0)


def click(acc, times=1):
    x, y, w, h = acc.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(x + w // 2), str(y + h // 2),
                    "click", "--repeat", str(times), "--delay", "80", "1"], check=True)


def type_into(acc, text):
    acc.queryEditableText().setTextContents(text)


def field(root, label):
    """The input field a label names (its buddy), text or spin box."""
    for role in ("text", "spin button", "combo box", "date editor"):
        hit = find(root, role, label)
        if hit is not None:
            return hit
    raise AssertionError(f"no field named «{label}»")
