#!/usr/bin/python3
"""Reads Kalvora's accessibility tree over AT-SPI, as a screen reader does.

Run inside a private D-Bus session with a display (tools/a11y-check sets both
up): starts the real program, checks names, roles and values of both windows,
opens the analysis window by its key and checks it, moves R through the scroll
bar's Value interface and waits for the chart's summary to follow, then runs the
program again with the German table (its numbers with a decimal comma).
Prints one line per check and closes with "N passed, M failed".
"""
import argparse
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

results = {"passed": 0, "failed": 0}


def check(ok, what, detail=""):
    if ok:
        results["passed"] += 1
        print(f"ok - {what}")
    else:
        results["failed"] += 1
        print(f"FAIL - {what}" + (f": {detail}" if detail else ""))
    sys.stdout.flush()
    return ok


def wait_for(predicate, seconds=15.0, step=0.1):
    end = time.monotonic() + seconds
    while time.monotonic() < end:
        try:
            value = predicate()
        except Exception:  # the tree may be in flux while windows appear
            value = None
        if value:
            return value
        time.sleep(step)
    return None


def find_app(pid):
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def walk(acc):
    """Every showing object below acc, acc first."""
    out = []
    todo = [acc]
    while todo:
        a = todo.pop()
        if a is None:
            continue
        out.append(a)
        for i in range(a.childCount):
            child = a.getChildAtIndex(i)
            if child is not None and child.getState().contains(pyatspi.STATE_SHOWING):
                todo.append(child)
    return out


def by_role(acc, role):
    return [a for a in walk(acc) if a.getRole() == role]


def window_of(app, role):
    """The showing top-level window of the role (the main window: any role but a dialog)."""
    for i in range(app.childCount):
        w = app.getChildAtIndex(i)
        if w is None or not w.getState().contains(pyatspi.STATE_SHOWING):
            continue
        if w.getRole() == role:
            return w
    return None


def window_named(app, name):
    """The showing top-level window of that name."""
    for i in range(app.childCount):
        w = app.getChildAtIndex(i)
        if w is not None and w.name == name and w.getState().contains(pyatspi.STATE_SHOWING):
            return w
    return None


def main_window(app):
    """The main window, once the splash has gone."""
    if window_of(app, pyatspi.ROLE_DIALOG) is not None:
        return None
    return window_of(app, pyatspi.ROLE_FRAME)


def press(acc):
    action = acc.queryAction()
    for i in range(action.nActions):
        if action.getName(i).lower() in ("press", "click", "activate"):
            action.doAction(i)
            return True
    return False


def all_named(window, label):
    nameless = [f"{a.getRoleName()}" for a in walk(window) if not (a.name or "").strip()]
    check(not nameless, f"{label}: every object a user can reach has a name", ", ".join(nameless))


def start(program, env):
    # Output goes to a file, never a pipe nobody reads: a full pipe would stall the program.
    log = tempfile.TemporaryFile(mode="w+")
    proc = subprocess.Popen([program], env=env, stdout=log, stderr=subprocess.STDOUT, text=True)
    proc.log = log
    return proc


def output_of(proc):
    proc.log.seek(0)
    return proc.log.read()[-4000:]


def bus_ready():
    """Waits until the registry answers, so the program starts into a working bus."""
    return wait_for(lambda: isinstance(pyatspi.Registry.getDesktop(0).childCount, int), 60) is not None


def launch(program, env):
    """Starts the program and waits for it on the bus: (process, application) or (process, None).

    A first start on a fresh machine can be slow; when the program has not appeared after a
    minute it is reported with its state and output, and started once more.
    """
    for attempt in (1, 2):
        proc = start(program, env)
        app = wait_for(lambda: find_app(proc.pid), 60)
        if app is not None:
            return proc, app
        state = "still running" if proc.poll() is None else f"ended with {proc.returncode}"
        stop(proc)
        print(f"note - start {attempt}: the program ({state}) did not appear on the bus; "
              f"its output: {output_of(proc)!r}")
        sys.stdout.flush()
    return proc, None


def stop(proc):
    if proc.poll() is None:
        proc.terminate()
        try:
            proc.wait(5)
        except subprocess.TimeoutExpired:
            proc.kill()
            proc.wait()


def english_run(program, base_env):
    proc, app = launch(program, base_env)
    try:
        if not check(app is not None, "the program appears on the accessibility bus"):
            return
        about = wait_for(lambda: window_of(app, pyatspi.ROLE_DIALOG))
        if not check(about is not None, "the About box (splash) is a dialog"):
            return
        check(about.name == "About", "the About box is named", about.name)
        all_named(about, "About box")
        links = by_role(about, pyatspi.ROLE_LINK)
        check(len(links) >= 2, "the About box's web links are links", str(len(links)))
        link_actions = [[l.queryAction().getName(i) for i in range(l.queryAction().nActions)] for l in links]
        check(all("press" in [n.lower() for n in names] for names in link_actions),
              "every link can be pressed", str(link_actions))
        ok_button = [b for b in by_role(about, pyatspi.ROLE_PUSH_BUTTON) if b.name == "OK"]
        check(len(ok_button) == 1 and press(ok_button[0]), "the About box's OK button is pressed through its action")

        frame = wait_for(lambda: main_window(app))
        if not check(frame is not None, "the main window appears after the splash"):
            return
        check(frame.name.startswith("Kalvora"), "the main window is a frame named by its title", frame.name)
        charts = wait_for(lambda: by_role(frame, pyatspi.ROLE_CHART))
        if not check(charts and len(charts) == 1, "the chart is one object of the role chart"):
            return
        chart = charts[0]
        check(chart.name == "Response of the circuit", "the chart is named", chart.name)
        check(chart.childCount == 0, "the chart's internals are no separate stops", str(chart.childCount))
        summary = wait_for(lambda: chart.description if "first maximum" in chart.description else None, 5)
        expected = ("Underdamped oscillation at 1.072 MHz, amplitude halves every 2.95 microseconds, "
                    "first maximum 0.948 at 0.228 microseconds")
        check(summary == expected, "the chart's description summarises the curve", repr(chart.description))
        all_named(frame, "main window")

        sliders = {s.name.split(",")[0]: s for s in by_role(frame, pyatspi.ROLE_SLIDER)}
        check(sorted(sliders) == ["Capacitance C", "Inductance L", "Resistance R"],
              "the three scroll bars are sliders named by what they set", str(sorted(sliders)))
        r = sliders.get("Resistance R")
        if r is None:
            return
        check(r.name == "Resistance R, 4.70 Ohm", "the R slider's name carries its value and unit", r.name)
        value = r.queryValue()
        check(abs(value.currentValue - 4.7) < 1e-9 and value.maximumValue == 100,
              "the R slider's value is in Ohm", f"{value.currentValue} of {value.maximumValue}")
        check(sliders["Inductance L"].name == "Inductance L, 10.00 µH", "the L slider reads in µH",
              sliders["Inductance L"].name)
        labels = [a.name for a in by_role(frame, pyatspi.ROLE_LABEL)]
        check("R 4.70 Ohm" in labels and "C 2.20 nF" in labels and "L 10.00 uH" in labels,
              "the numeric labels read as their shown text", str(labels))
        buttons = sorted(b.name for b in by_role(frame, pyatspi.ROLE_PUSH_BUTTON))
        check(buttons == ["About", "Exit", "Reset"], "the buttons are named by their captions", str(buttons))

        explore_by_keyboard(chart)
        analysis_window(app)

        # R to 20 Ohm through the Value interface: the bar, the label and the summary follow.
        value.currentValue = 20.0
        moved = wait_for(lambda: r.name == "Resistance R, 20.00 Ohm", 5)
        check(moved, "setting R through AT-SPI moves the scroll bar", r.name)
        check(wait_for(lambda: "R 20.00 Ohm" in [a.name for a in by_role(frame, pyatspi.ROLE_LABEL)], 5),
              "the numeric label follows")
        changed = wait_for(lambda: "halves every 0.693 microseconds" in chart.description, 5)
        check(changed, "the chart's summary follows the new R", chart.description)

        exits = [b for b in by_role(frame, pyatspi.ROLE_PUSH_BUTTON) if b.name == "Exit"]
        check(exits and press(exits[0]) and wait_for(lambda: proc.poll() is not None, 10) is not None,
              "Exit through its action ends the program")
    finally:
        stop(proc)


def keys(*names):
    subprocess.run(["xdotool", "key", "--delay", "120", *names], check=True)
    time.sleep(0.3)


def explore_by_keyboard(chart):
    """Measuring from the pop-up menu and the explorer's keys, typed as a user would."""
    # A click at the bottom right of the data area, clear of the curve, gives it the focus.
    box = chart.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
    subprocess.run(["xdotool", "mousemove", str(box.x + box.width - 40), str(box.y + box.height - 60),
                    "click", "1"], check=True)
    if not check(wait_for(lambda: chart.getState().contains(pyatspi.STATE_FOCUSED), 5), "the chart takes the focus"):
        return
    # The pop-up: Zoom 1:1, Circuit data, Exact response, Keep curve, (Clear kept curves:
    # disabled), Measure, ... The arrow keys skip separators and disabled items.
    keys("shift+F10")
    keys("Down", "Down", "Down", "Down", "Down", "Return")
    keys("m")
    spoken = wait_for(lambda: "t 0.228 microseconds" in chart.name and chart.name, 5)
    check(spoken == "Response of the circuit: t 0.228 microseconds, y 0.948",
          "M jumps to the first maximum and its readout becomes the chart's name", chart.name)
    keys("space", "m")
    period = wait_for(lambda: "from the reference" in chart.name and chart.name, 5)
    check(period and "1 over delta t 1.07" in period, "Space and M give the period and the frequency", chart.name)
    keys("Escape")
    check(wait_for(lambda: chart.name == "Response of the circuit", 5), "Esc ends measuring and the name returns",
          chart.name)


def reachable(acc):
    states = acc.getState()
    return all(states.contains(s) for s in (pyatspi.STATE_SHOWING, pyatspi.STATE_ENABLED, pyatspi.STATE_FOCUSABLE))


def labels_of(acc):
    names = []
    for relation in acc.getRelationSet():
        if relation.getRelationType() == pyatspi.RELATION_LABELLED_BY:
            names += [relation.getTarget(i).name for i in range(relation.getNTargets())]
    return names


def analysis_window(app):
    """The analysis window, opened by its key from the main window's chart and closed by Escape."""
    keys("ctrl+shift+a")
    window = wait_for(lambda: window_named(app, "Circuit analysis"), 10)
    if not check(window is not None, "Ctrl+Shift+A opens the analysis window, named by its title"):
        return
    check(window.getRole() == pyatspi.ROLE_FRAME, "the analysis window is a window", window.getRoleName())
    all_named(window, "analysis window")
    charts = wait_for(lambda: (lambda found: found if len(found) == 4 else None)(by_role(window, pyatspi.ROLE_CHART)))
    names = sorted(c.name for c in charts or [])
    check(names == ["Capacitor voltage and current over time", "Energies over time",
                    "Phase portrait: current over capacitor voltage", "Resonance curve over frequency"],
          "the four charts are objects of the role chart with their names", str(names))
    described = wait_for(lambda: all(" after 10 µs" in c.description or "Resonance at" in c.description
                                     for c in charts or []), 5)
    check(described, "each chart describes what it shows", str([c.description for c in charts or []]))
    # On Linux a combo box is named by its choice and labelled by its label.
    combos = by_role(window, pyatspi.ROLE_COMBO_BOX)
    check([c.name for c in combos] == ["Charged capacitor (u_C(0) = 1 V, i(0) = 0)"] and reachable(combos[0]),
          "the experiment is a combo box named by its choice that the keyboard reaches", str([c.name for c in combos]))
    check(combos and labels_of(combos[0]) == ["Experiment:"], "the experiment's label labels it",
          str(combos and labels_of(combos[0])))
    presets = sorted(b.name for b in by_role(window, pyatspi.ROLE_PUSH_BUTTON) if reachable(b))
    check(presets == ["critically damped", "overdamped", "ringing", "undamped"],
          "the presets are named buttons the keyboard reaches", str(presets))
    preset_info = [b.description for b in by_role(window, pyatspi.ROLE_PUSH_BUTTON)]
    check(preset_info and all("scroll bars" in d for d in preset_info), "the presets say what they do",
          str(preset_info))
    shown = sorted(b.name for b in by_role(window, pyatspi.ROLE_CHECK_BOX)
                   if reachable(b) and b.getState().contains(pyatspi.STATE_CHECKED))
    check(shown == ["energies", "phase portrait", "resonance curve", "u_C and i"],
          "the charts shown are named, checked check boxes the keyboard reaches", str(shown))
    focused = wait_for(lambda: [a for a in walk(window) if a.getState().contains(pyatspi.STATE_FOCUSED)], 5)
    check(focused, "the keyboard focus is in the analysis window")
    keys("Escape")
    check(wait_for(lambda: window_named(app, "Circuit analysis") is None, 5), "Escape closes the analysis window")


def german_run(program, base_env):
    # An installed layout: the program finds no table beside it and takes the German one
    # from its data folder for LANGUAGE=de.
    with tempfile.TemporaryDirectory() as prefix:
        os.makedirs(os.path.join(prefix, "bin"))
        os.makedirs(os.path.join(prefix, "share", "kalvora"))
        copy = os.path.join(prefix, "bin", "kalvora")
        shutil.copy2(program, copy)
        resources = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "resources")
        for table in ("kalvora.itl", "kalvora-de.itl"):
            shutil.copy2(os.path.join(resources, table), os.path.join(prefix, "share", "kalvora", table))
        env = dict(base_env, LANGUAGE="de", LANG="de_DE.UTF-8")
        env.pop("LC_ALL", None)
        env.pop("LC_MESSAGES", None)
        proc, app = launch(copy, env)
        try:
            if not check(app is not None, "German: the program appears on the accessibility bus"):
                return
            about = wait_for(lambda: window_of(app, pyatspi.ROLE_DIALOG))
            if not check(about is not None, "German: the About box appears"):
                return
            check(about.name == "Über", "German: the About box is named in German", about.name)
            ok_button = [b for b in by_role(about, pyatspi.ROLE_PUSH_BUTTON) if b.name == "OK"]
            check(len(ok_button) == 1 and press(ok_button[0]), "German: OK is pressed")
            frame = wait_for(lambda: main_window(app))
            if not check(frame is not None, "German: the main window appears"):
                return
            names = sorted(s.name for s in by_role(frame, pyatspi.ROLE_SLIDER))
            check(names == ["Induktivität L, 10,00 µH", "Kapazität C, 2,20 nF", "Widerstand R, 4,70 Ohm"],
                  "German: the sliders have German names and a decimal comma", str(names))
            labels = [a.name for a in by_role(frame, pyatspi.ROLE_LABEL)]
            check("R 4,70 Ohm" in labels and "L 10,00 uH" in labels,
                  "German: the numeric labels read with a decimal comma", str(labels))
            charts = by_role(frame, pyatspi.ROLE_CHART)
            check(charts and charts[0].name == "Antwort des Schwingkreises", "German: the chart's name is German",
                  charts[0].name if charts else "")
            if charts:
                chart = charts[0]
                summary = wait_for(lambda: chart.description if "Maximum" in chart.description else None, 5)
                check(summary is not None and summary.startswith("Gedämpfte Schwingung mit 1,072 MHz")
                      and "0,228 Mikrosekunden" in summary,
                      "German: the summary is German, its numbers with a decimal comma", repr(chart.description))
            buttons = sorted(b.name for b in by_role(frame, pyatspi.ROLE_PUSH_BUTTON))
            check(buttons == ["Beenden", "Zurücksetzen", "Über"],
                  "German: the buttons are German", str(buttons))
            all_named(frame, "German main window")
        finally:
            stop(proc)


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--program", required=True, help="the kalvora program file")
    args = parser.parse_args()
    program = os.path.abspath(args.program)
    with tempfile.TemporaryDirectory() as work:
        env = dict(os.environ)
        env.update(QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_ACCESSIBILITY="1", QT_QPA_PLATFORM="xcb",
                   XDG_RUNTIME_DIR=work, XDG_CONFIG_HOME=os.path.join(work, "config"), LC_ALL="C.UTF-8")
        env.pop("WAYLAND_DISPLAY", None)
        try:
            check(bus_ready(), "the accessibility registry answers")
            english_run(program, env)
            german_run(program, env)
        except Exception as error:  # a broken bus or tree is a failure, reported as such
            check(False, "the accessibility tree can be read", repr(error))
    print(f"{results['passed']} passed, {results['failed']} failed")
    return 1 if results["failed"] or not results["passed"] else 0


if __name__ == "__main__":
    sys.exit(main())
