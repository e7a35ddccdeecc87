#!/usr/bin/env python3
"""Checks the packages a user downloads, as a user would meet them.

  package_test.py --deb out/t815_V_amd64.deb --zip out/t815-V-windows.zip \
      --version V --source . --build build

The Debian package: its control fields (version, dependencies computed from
the binaries), its exact file list, lintian's verdict, and an install into a
throw-away root (dpkg --root, in the build tree) where the installed
t815-render renders the demo through the installed plug-in, then a removal
that leaves nothing behind.

The Windows zip: its exact file list, the version resource of every binary
in it (read back with mingw's windres), and the zipped 32-bit plug-in and
render tool run under Wine, rendering the demo to the same bits as the Linux
package.
"""
import argparse
import os
import re
import shutil
import subprocess
import sys
import tempfile
import zipfile

# The command-line tools shipped beside the plug-in: each has its man page in
# the Debian package, a build per bitness in the zip, and --version.
TOOLS = ["t815-render", "t815-validate", "t815-play"]

# What the Debian package installs, under /.
DEB_FILES = (["usr/lib/vst/t815.so", "usr/lib/clap/t815.clap"] + ["usr/bin/" + t for t in TOOLS] +
             ["usr/share/man/man1/%s.1.gz" % t for t in TOOLS] +
             ["usr/share/applications/t815-play.desktop"] +
             ["usr/share/doc/t815/" + f for f in ["README.md", "changelog.gz", "copyright"]])

# What the Windows zip holds, under its top folder t815-V-windows/.
ZIP_FILES = ["README.txt"] + ["%s/%s" % (arch, f) for arch in ["win32", "win64"]
                              for f in ["t815.dll", "t815.clap"] + [t + ".exe" for t in TOOLS]]
# The panel picture ships from the day docs/t815-panel.png is in the sources.
PANEL = "t815-panel.png"

failures = []
passes = 0


def check(condition, what):
    global passes
    if condition:
        passes += 1
    else:
        failures.append(what)
        print("FAIL: " + what)
    return condition


def run(command):
    """Exit code, stdout and stderr; output goes through files, since pipes
    can stall programs run under Wine."""
    with tempfile.TemporaryFile() as out, tempfile.TemporaryFile() as err:
        code = subprocess.call(command, stdin=subprocess.DEVNULL, stdout=out, stderr=err,
                               timeout=600, env=dict(os.environ, LC_ALL="C.UTF-8"))
        out.seek(0)
        err.seek(0)
        return code, out.read().decode("utf-8", "replace"), err.read().decode("utf-8", "replace")


def plugin_identity(tool, plugin):
    """The vendor and product strings the plug-in reports to a host."""
    code, out, err = run(tool + ["--plugin", plugin, "--info"])
    check(code == 0, "--info of %s: exit %d (%s)" % (plugin, code, err.strip()))
    fields = dict(re.findall(r"^(vendor|product):\s*(.*)$", out, re.M))
    return fields.get("vendor"), fields.get("product")


def render_demo(tool, plugin, out_path, what):
    code, out, err = run(tool + ["--plugin", plugin, "--out", out_path, "--quiet"])
    return check(code == 0 and os.path.isfile(out_path) and os.path.getsize(out_path) > 1000000,
                 "%s renders the demo: exit %d (%s)" % (what, code, err.strip()))


def check_version_output(runner, pattern, version):
    """Every tool's --version; `pattern` is a tool's path with {} for its name."""
    for name in TOOLS:
        code, out, _ = run(runner + [pattern.format(name), "--version"])
        check(code == 0 and out.strip() == "%s %s" % (name, version),
              "%s --version printed %r" % (pattern.format(name), out.strip()))


def test_deb(deb, version, work):
    """Returns the WAV the installed package rendered, and what its plug-in
    reports as vendor and product."""
    name = os.path.basename(deb)
    fields = {}
    for key in ["Package", "Version", "Architecture", "Depends"]:
        fields[key] = run(["dpkg-deb", "--field", deb, key])[1].strip()
    check(name == "t815_%s_%s.deb" % (version, fields["Architecture"]), "file name " + name)
    check(fields["Package"] == "t815" and fields["Version"] == version,
          "package and version: %s %s" % (fields["Package"], fields["Version"]))
    # Computed by dpkg-shlibdeps from the binaries: the C library with the
    # minimum version their symbols need, the panel's Cairo and Xlib and
    # t815-play's JACK (some libraries' symbol files give no minimum version,
    # JACK's name alternatives).
    depends = [d.strip() for d in fields["Depends"].split(",") if d.strip()]
    names = {d.split(" ")[0] for d in depends}
    check(any(d.startswith("libc6 (>= ") for d in depends) and
          {"libcairo2", "libx11-6", "libjack-jackd2-0"} <= names and
          all(re.match(r"^[a-z0-9.+-]+( \(>= [^)]+\))?$", a.strip())
              for d in depends for a in d.split("|")),
          "computed Depends: %r" % fields["Depends"])

    code, contents, _ = run(["sh", "-c", "dpkg-deb --fsys-tarfile \"$0\" | tar -t", deb])
    files = sorted(p[2:] for p in contents.split() if not p.endswith("/"))
    check(code == 0 and files == sorted(DEB_FILES), "files in the package: %r" % files)

    code, out, err = run(["lintian", "--fail-on", "error", deb])
    check(code == 0, "lintian reports errors:\n" + out + err)

    # A throw-away root with an empty dpkg database. Its Depends name the
    # host's libraries, which that root lacks; the binaries run on the host's.
    root = os.path.join(work, "root")
    admin = os.path.join(root, "var/lib/dpkg")
    for sub in ["info", "updates", "triggers"]:
        os.makedirs(os.path.join(admin, sub))
    open(os.path.join(admin, "status"), "w").close()
    dpkg = ["dpkg", "--root=" + root, "--force-not-root", "--force-depends", "--log=/dev/null",
            "--path-include=*"]
    code, out, err = run(dpkg + ["--install", deb])
    check(code == 0, "dpkg --install: exit %d (%s)" % (code, err.strip()))
    installed = sorted(os.path.relpath(os.path.join(d, f), root)
                       for d, _, names in os.walk(root) for f in names
                       if not os.path.relpath(d, root).startswith("var"))
    check(installed == sorted(DEB_FILES), "installed files: %r" % installed)

    tool = [os.path.join(root, "usr/bin/t815-render")]
    plugin = os.path.join(root, "usr/lib/vst/t815.so")
    check_version_output([], os.path.join(root, "usr/bin/{}"), version)
    identity = plugin_identity(tool, plugin)
    wav = os.path.join(work, "linux.wav")
    render_demo(tool, plugin, wav, "the installed plug-in")

    code, out, err = run(dpkg + ["--purge", "t815"])
    left = [os.path.join(d, f) for d, _, names in os.walk(os.path.join(root, "usr"))
            for f in names]
    check(code == 0 and not left, "dpkg --purge: exit %d, left %r (%s)" % (code, left, err.strip()))
    return wav, identity


def read_version_resource(path):
    """The numeric FILEVERSION and the string values of a PE file's
    VERSIONINFO, as windres decompiles them."""
    code, out, err = run(["x86_64-w64-mingw32-windres", "--input", path, "--output-format", "rc"])
    if not check(code == 0, "windres reads %s (%s)" % (path, err.strip())):
        return None, {}
    numeric = re.search(r"^\s*FILEVERSION\s+(.*)$", out, re.M)
    values = dict(re.findall(r'VALUE "(\w+)", "([^"]*)"', out))
    return numeric.group(1).replace(" ", "") if numeric else None, values


def test_zip(zip_path, version, source, build, reference, identity, work):
    top = "t815-%s-windows/" % version
    expected = list(ZIP_FILES)
    if os.path.exists(os.path.join(source, "docs", PANEL)):
        expected.append(PANEL)
    with zipfile.ZipFile(zip_path) as archive:
        names = sorted(n for n in archive.namelist() if not n.endswith("/"))
        check(names == sorted(top + f for f in expected), "files in the zip: %r" % names)
        archive.extractall(work)
    unpacked = os.path.join(work, top)
    readme = os.path.join(unpacked, "README.txt")
    with open(os.path.join(source, "README.md"), "rb") as a:
        check(os.path.isfile(readme) and open(readme, "rb").read() == a.read(),
              "README.txt is the README")

    vendor, product = identity
    dotted = version + ".0" * (3 - version.count("."))
    for name in [f for f in expected if f.endswith((".dll", ".clap", ".exe"))]:
        numeric, values = read_version_resource(os.path.join(unpacked, name))
        wanted = {
            "CompanyName": vendor,
            "ProductName": product,
            "FileVersion": dotted,
            "ProductVersion": dotted,
            "OriginalFilename": os.path.basename(name),
        }
        check(numeric == dotted.replace(".", ",") and
              all(values.get(k) == v for k, v in wanted.items()) and values.get("FileDescription"),
              "version resource of %s: %s %r" % (name, numeric, values))

    # The product is the 32-bit DLL; where this machine cannot run 32-bit
    # code at all (the Wine runner answers 77), the 64-bit one stands in.
    for arch in ["win32", "win64"]:
        runner = [os.path.join(source, "scripts/wine-run.sh"),
                  os.path.abspath(os.path.join(build, arch, "wineprefix")), arch]
        if run(runner)[0] != 77:
            break
        print("NOTE: this machine cannot run 32-bit programs; the zipped win64 build is run instead")
    check_version_output(runner, os.path.join(unpacked, arch, "{}.exe"), version)
    wav = os.path.join(work, arch + ".wav")
    tool = runner + [os.path.join(unpacked, arch, "t815-render.exe")]
    rendered = render_demo(tool, os.path.join(unpacked, arch, "t815.dll"), wav,
                           "the zipped %s DLL" % arch)
    if rendered and os.path.isfile(reference):
        with open(reference, "rb") as a, open(wav, "rb") as b:
            check(a.read() == b.read(), "the zipped %s DLL renders the Linux package's bits" % arch)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--deb", required=True)
    parser.add_argument("--zip", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--source", required=True)
    parser.add_argument("--build", required=True)
    args = parser.parse_args()

    os.makedirs(args.build, exist_ok=True)
    work = tempfile.mkdtemp(prefix="package-test-", dir=os.path.abspath(args.build))
    try:
        reference, identity = test_deb(os.path.abspath(args.deb), args.version, work)
        test_zip(args.zip, args.version, os.path.abspath(args.source), args.build, reference,
                 identity, work)
    finally:
        shutil.rmtree(work, ignore_errors=True)
    print("packages: %d passed, %d failed" % (passes, len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
