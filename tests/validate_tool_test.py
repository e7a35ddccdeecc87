#!/usr/bin/env python3
"""Runs t815-validate as a user would: its usage and loading errors, every
fault of the faulty test instruments (VST 2.4 and CLAP) caught by the checks
meant to catch it (and no others of that family), clean runs, and a
third-party instrument.

  validate_tool_test.py --tool EXE [--runner 'wine-run.sh|prefix|arch'] \
      [--windows] [--no-probe] PLUGIN GROUP

GROUP is one of:
  errors   command line and libraries that are no plug-in (PLUGIN: any plug-in)
  faults   PLUGIN is the faulty test instrument: a clean run, then every fault
  clap-faults  the same for the faulty CLAP instrument; also its id errors
  clean    PLUGIN must pass at strictness 10
  survey   PLUGIN is validated at strictness 10; findings are printed, not judged
"""
import argparse
import os
import re
import subprocess
import sys
import tempfile

SKIPPED = 77

# fault: (family run with --only, checks that must fail; on Windows where they differ)
FAULTS = {
    "long-name": ("identity", {"identity.strings"}),
    "can-do": ("identity", {"identity.can-do"}),
    "program-range": ("programs", {"programs.out-of-range"}),
    "param-range": ("parameters", {"parameters.hostile-values", "parameters.random-values"}),
    "long-display": ("parameters", {"parameters.texts", "parameters.hostile-values",
                                    "parameters.random-values"}),
    "zero-rate": ("lifecycle", {"lifecycle.zero-rate-and-block"}),
    "block-size": ("audio", {"audio.block-invariance"}),
    "denormals": ("audio", {"audio.rate-22050", "audio.rate-44100", "audio.rate-48000",
                            "audio.rate-96000", "audio.rate-192000", "audio.automation"}),
    "automation": ("audio", {"audio.automation"}),
    "stall": ("threads", {"threads.contention"}),
    "shared-state": ("threads", {"threads.two-instances"}),
    "allocation": ("realtime", {"realtime.allocations"}),
    "lock": ("realtime", {"realtime.locks"}),
    "leak": ("instances", {"instances.create-destroy"}),
    "editor-leak": ("editor", {"editor.open-close-open", "editor.second-open"}),
}
LINUX_ONLY = {"allocation", "lock", "leak"}  # a Windows DLL's heap and locks are its own
WINDOWS_ONLY = {"editor-leak"}               # the Linux build declares no editor

# The faulty CLAP instrument's faults, as above.
CLAP_FAULTS = {
    "entry-twice": ("identity", {"identity.entry"}),
    "descriptor": ("identity", {"identity.descriptor"}),
    "param-ids": ("parameters", {"parameters.infos"}),
    "text-round-trip": ("parameters", {"parameters.texts"}),
    "param-range": ("parameters", {"parameters.hostile-values"}),
    "state-lossy": ("state", {"state.round-trip"}),
    "state-garbage": ("state", {"state.hostile"}),
    "port-type": ("ports", {"ports.audio"}),
    "reset": ("lifecycle", {"lifecycle.reset"}),
    "offsets": ("audio", {"audio.sample-offsets"}),
    "gui-size": ("gui", {"gui.create-destroy"}),
    "timer-support": ("gui", {"gui.timers-and-fds"}),
    "allocation": ("realtime", {"realtime.allocations"}),
    "wrong-thread": ("threads", {"threads.host-calls"}),
    "shared-state": ("instances", {"instances.independent"}),
}
CLAP_LINUX_ONLY = {"allocation"}

failures = []


def check(condition, what):
    if not condition:
        failures.append(what)
        print("FAIL: " + what)


class Tool:
    def __init__(self, runner, exe, workdir):
        self.command = runner + [exe]
        self.workdir = workdir

    def run(self, args, fault=None):
        env = dict(os.environ, T815_FAULT=fault or "", LC_ALL="C.UTF-8")
        # Output goes to files: pipes can stall programs run under Wine.
        with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
            code = subprocess.call(self.command + args, stdin=subprocess.DEVNULL, stdout=out,
                                   stderr=err, env=env, cwd=self.workdir, timeout=600)
            out.seek(0)
            err.seek(0)
            return code, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace")


def verdicts(output):
    """check name -> (verdict, detail) from the one-line-per-check output."""
    found = {}
    for line in output.splitlines():
        match = re.match(r"^(\w+\.[\w.-]+)\s+(pass|FAIL|note|n/a)\s+(.*)$", line)
        if match:
            found[match.group(1)] = (match.group(2), match.group(3))
    return found


def failed(output):
    return {name for name, (verdict, _) in verdicts(output).items() if verdict == "FAIL"}


def errors(tool, plugin, workdir):
    text = os.path.join(workdir, "not-a-plugin.dll")
    with open(text, "w") as f:
        f.write("plain text\n")
    cases = [
        ([], 2, "no plug-in given"),
        ([plugin, "--strictness", "11"], 2, "--strictness takes 1 to 10"),
        ([plugin, "--seed", "x"], 2, "--seed takes a whole number"),
        ([plugin, "--only", "nothing"], 2, "no check named 'nothing'"),
        ([plugin, "--frobnicate"], 2, "unknown option"),
        ([os.path.join(workdir, "missing.so")], 3, "cannot load plug-in library"),
        ([text], 3, "cannot load plug-in library"),
    ]
    for args, code, message in cases:
        got, out, err = tool.run(args)
        if got == SKIPPED:
            return SKIPPED
        check(got == code, "%s: exit code %d, expected %d (%s)" % (args, got, code, err.strip()))
        check(message in err, "%s: %r not in %r" % (args, message, err))
    got, out, _ = tool.run(["--help"])
    check(got == 0 and "--strictness" in out, "--help: exit %d" % got)
    json_path = os.path.join(workdir, "report.json")
    got, out, _ = tool.run([plugin, "--strictness", "1", "--seed", "7", "--only", "identity",
                            "--json", json_path])
    check(got == 0, "identity run for JSON: exit %d\n%s" % (got, out))
    with open(json_path) as f:
        report = f.read()
    check('"seed": 7' in report and '"identity.strings"' in report, "JSON report: " + report)
    return 0


def faults(tool, plugin, windows, probe, table=FAULTS, linux_only=LINUX_ONLY,
           windows_only=WINDOWS_ONLY, strictness="10"):
    code, out, _ = tool.run([plugin, "--strictness", "10", "--seed", "5"])
    if code == SKIPPED:
        return SKIPPED
    check(code == 0, "clean faulty instrument fails:\n" + out)
    for fault, (family, expected) in table.items():
        if fault in (windows_only if not windows else linux_only):
            continue
        if fault in linux_only and not probe:
            continue
        code, out, err = tool.run([plugin, "--strictness", strictness, "--seed", "5", "--only",
                                   family], fault)
        got = failed(out)
        check(code == 1, "fault %s: exit code %d, expected 1 (%s)\n%s" % (fault, code, err, out))
        check(got & expected and got <= expected,
              "fault %s: failed %s, expected among %s\n%s" % (fault, sorted(got), sorted(expected), out))
        for name in got:
            check("reproduce: t815-validate" in verdicts(out)[name][1],
                  "fault %s: %s says not how to reproduce" % (fault, name))
    if windows:
        code, out, _ = tool.run([plugin, "--only", "realtime"], "allocation")
        check(verdicts(out).get("realtime.allocations", ("",))[0] == "n/a",
              "Windows allocations should be not measurable:\n" + out)
    return 0


def clap_faults(tool, plugin, windows, probe):
    """The CLAP families at a low strictness (small audio matrices), then
    the choice of a plug-in by id."""
    cases = [
        (["--plugin-id", "no.such.plugin"], 3, "no CLAP plug-in of id 'no.such.plugin'"),
        (["--only", "programs"], 2, "a CLAP plug-in has no check named 'programs'"),
    ]
    for args, code, message in cases:
        got, out, err = tool.run([plugin] + args)
        if got == SKIPPED:
            return SKIPPED
        check(got == code, "%s: exit code %d, expected %d (%s)" % (args, got, code, err.strip()))
        check(message in err, "%s: %r not in %r" % (args, message, err))
    got, out, _ = tool.run([plugin, "--plugin-id", "t815.test.faulty-clap", "--only",
                            "identity", "--seed", "3"], "descriptor")
    check(got == 1 and "--plugin-id t815.test.faulty-clap" in out,
          "a failure with --plugin-id says how to repeat it:\n" + out)
    return faults(tool, plugin, windows, probe, CLAP_FAULTS, CLAP_LINUX_ONLY, set(), "3")


def clean(tool, plugin):
    code, out, err = tool.run([plugin, "--strictness", "10", "--seed", "1"])
    if code == SKIPPED:
        return SKIPPED
    print(out)
    check(code == 0, "%s fails validation (exit %d) %s" % (plugin, code, err))
    return 0


FAMILIES = ["identity", "programs", "parameters", "lifecycle", "audio", "editor", "realtime",
            "threads", "instances"]


def survey(tool, plugin):
    # Family by family, so that a crash in one leaves the others' findings.
    if not os.path.exists(plugin):
        print("skipped: %s is not installed" % plugin)
        return SKIPPED
    for family in FAMILIES:
        code, out, err = tool.run([plugin, "--strictness", "10", "--seed", "1", "--only", family])
        print(out + err)
        check(code in (0, 1), "%s: exit code %d, expected 0 or 1" % (family, code))
        check("checks:" in out or "CRASH" in out, "%s: no findings from %s" % (plugin, family))
    return 0


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--tool", required=True)
    parser.add_argument("--runner", default="")
    parser.add_argument("--windows", action="store_true")
    parser.add_argument("--no-probe", action="store_true",
                        help="the build cannot see heap and lock calls (a sanitizer build)")
    parser.add_argument("plugin")
    parser.add_argument("group", choices=["errors", "faults", "clap-faults", "clean", "survey"])
    args = parser.parse_args()
    runner = [part for part in args.runner.split("|") if part]
    with tempfile.TemporaryDirectory() as workdir:
        tool = Tool(runner, args.tool, workdir)
        if args.group == "errors":
            result = errors(tool, args.plugin, workdir)
        elif args.group == "faults":
            result = faults(tool, args.plugin, args.windows, not args.no_probe)
        elif args.group == "clap-faults":
            result = clap_faults(tool, args.plugin, args.windows, not args.no_probe)
        elif args.group == "clean":
            result = clean(tool, args.plugin)
        else:
            result = survey(tool, args.plugin)
    if result == SKIPPED:
        return SKIPPED
    print("%d failures" % len(failures))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
