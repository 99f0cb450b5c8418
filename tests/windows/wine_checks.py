#!/usr/bin/python3
"""Checks of the Windows binaries: their files read back with pefile, and the
stand-in host run under Wine, compared with the Linux build's own results.

    wine_checks.py pe-aax LIB --version 1.0.2 --company KORVALD
    wine_checks.py pe-vst3 LIB
    wine_checks.py scan|render|bypass|chunks --wine RUN --host EXE --library DLL --linux-build DIR --work DIR
    wine_checks.py gui --wine RUN --host EXE --library DLL --work DIR [--png OUT.png]
    wine_checks.py unload --wine RUN --host EXE --library DLL
    wine_checks.py update|language --wine RUN --editor-check EXE --version 1.0.2
    wine_checks.py installer --wine RUN --installer EXE --host EXE --linux-build DIR --work DIR
                   --version 1.0.2 --company KORVALD      (in the fresh prefix TOLVO_WINEPREFIX)
"""

import argparse
import json
import math
import os
import socket
import struct
import subprocess
import sys
import threading

ACF_EXPORTS = ["ACFCanUnloadNow", "ACFGetClassFactory", "ACFGetSDKVersion", "ACFRegisterComponent",
               "ACFRegisterPlugin", "ACFShutdown", "ACFStartup"]

# What a bare 64-bit Windows has; the compiler's runtime DLLs are not on it.
SYSTEM_DLLS = {
    "advapi32.dll", "comctl32.dll", "comdlg32.dll", "crypt32.dll", "dwmapi.dll", "dxgi.dll", "gdi32.dll",
    "imm32.dll", "kernel32.dll", "msvcrt.dll", "ole32.dll", "oleaut32.dll", "rpcrt4.dll", "shell32.dll",
    "shlwapi.dll", "user32.dll", "uuid.dll", "version.dll", "wininet.dll", "winmm.dll", "winspool.drv",
    "ws2_32.dll", "wsock32.dll", "shcore.dll", "d2d1.dll", "dwrite.dll", "setupapi.dll", "uxtheme.dll",
}

failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
        print("FAIL:", message)
    return condition


def finish():
    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)
    print("all checks passed")


# --- the files ---------------------------------------------------------------------------------

def load_pe(path, dll=True):
    import pefile
    pe = pefile.PE(path)
    check(pe.FILE_HEADER.Machine == 0x8664, "%s is not x86-64" % path)
    check(pe.OPTIONAL_HEADER.Magic == 0x20B, "%s is not PE32+" % path)
    check(bool(pe.FILE_HEADER.Characteristics & 0x2000) == dll, "%s is %s" % (path, "not a DLL" if dll else "a DLL"))
    return pe


def check_imports(pe, path):
    imported = [entry.dll.decode().lower() for entry in getattr(pe, "DIRECTORY_ENTRY_IMPORT", [])]
    check(imported, "%s imports nothing" % path)
    for dll in imported:
        check(dll in SYSTEM_DLLS or dll.startswith("api-ms-win-"), "%s imports %s, not a Windows system DLL" % (path, dll))


def exports_of(pe):
    return {e.ordinal: (e.name.decode() if e.name else None) for e in pe.DIRECTORY_ENTRY_EXPORT.symbols}


def version_resource(pe):
    """The fixed file version as four numbers, and the version strings."""
    fixed = pe.VS_FIXEDFILEINFO[0]
    numbers = [fixed.FileVersionMS >> 16, fixed.FileVersionMS & 0xFFFF, fixed.FileVersionLS >> 16, fixed.FileVersionLS & 0xFFFF]
    strings = {}
    for info in pe.FileInfo[0]:
        for table in getattr(info, "StringTable", []):
            strings.update({k.decode(): v.decode() for k, v in table.entries.items()})
    return numbers, strings


def pe_aax(args):
    pe = load_pe(args.library)
    exports = exports_of(pe)
    check(exports == {i + 1: name for i, name in enumerate(ACF_EXPORTS)},
          "exports are %s, not the seven ACF functions as ordinals 1 to 7" % exports)
    check_imports(pe, args.library)

    version = [int(x) for x in args.version.split(".")] + [0]
    got, strings = version_resource(pe)
    check(got == version, "file version %s, expected %s" % (got, version))
    fixed = pe.VS_FIXEDFILEINFO[0]
    check(fixed.ProductVersionMS == fixed.FileVersionMS and fixed.ProductVersionLS == fixed.FileVersionLS,
          "product version differs from the file version")
    expected = {"CompanyName": args.company, "FileDescription": "Tolvo", "ProductName": "Tolvo",
                "FileVersion": args.version, "ProductVersion": args.version}
    for key, value in expected.items():
        check(strings.get(key) == value, "%s is %r, expected %r" % (key, strings.get(key), value))
    finish()


def pe_vst3(args):
    pe = load_pe(args.library)
    names = set(n for n in exports_of(pe).values() if n)
    check({"GetPluginFactory", "InitDll", "ExitDll"} <= names, "VST3 entry points missing: %s" % sorted(names))
    check_imports(pe, args.library)
    finish()


# --- running the host ----------------------------------------------------------------------------

def windows_path(path):
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(command, **kwargs):
    result = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, timeout=240, **kwargs)
    if result.returncode != 0:
        sys.stderr.write(result.stderr.decode(errors="replace"))
    return result


def windows_host(args, *arguments, env=None):
    converted = [windows_path(a) if isinstance(a, str) and a.startswith("/") else a for a in arguments]
    return run([args.wine, args.host, *converted], env=env)


def linux_host(args, *arguments):
    return run([os.path.join(args.linux_build, "host", "tolvo-aax-host"), *arguments])


def linux_library(args):
    return os.path.join(args.linux_build, "Tolvo.aaxplugin", "Contents", "x86_64-linux", "Tolvo.aaxdll")


def without_machine_details(value):
    """The description with what differs by machine alone taken out: pointers and paths."""
    if isinstance(value, dict):
        return {k: without_machine_details(v) for k, v in value.items()
                if k not in ("pointer", "processProc", "library")}
    if isinstance(value, list):
        return [without_machine_details(v) for v in value]
    return value


def compare(linux, windows, where=""):
    if isinstance(linux, dict) and isinstance(windows, dict):
        check(linux.keys() == windows.keys(), "%s: fields %s on Linux, %s on Windows"
              % (where or "top", sorted(linux), sorted(windows)))
        for key in linux.keys() & windows.keys():
            compare(linux[key], windows[key], where + "." + key)
    elif isinstance(linux, list) and isinstance(windows, list):
        if check(len(linux) == len(windows), "%s: %d entries on Linux, %d on Windows" % (where, len(linux), len(windows))):
            for i, (a, b) in enumerate(zip(linux, windows)):
                compare(a, b, "%s[%d]" % (where, i))
    else:
        check(linux == windows, "%s: %r on Linux, %r on Windows" % (where, linux, windows))


def scan(args):
    windows = windows_host(args, "scan", args.library)
    linux = linux_host(args, "scan", linux_library(args))
    check(windows.returncode == 0, "Windows scan failed")
    check(linux.returncode == 0, "Linux scan failed")
    if not failures:
        w = json.loads(windows.stdout)
        compare(without_machine_details(json.loads(linux.stdout)), without_machine_details(w))
        check(w["effects"] and len(w["effects"][0]["components"]) == 2, "the Windows scan lacks the two components")
    finish()


def chunks(args):
    windows = windows_host(args, "chunks", args.library)
    linux = linux_host(args, "chunks", linux_library(args))
    if check(windows.returncode == 0 and linux.returncode == 0, "chunks failed"):
        w, l = json.loads(windows.stdout), json.loads(linux.stdout)
        compare(l, w)
        juce = [c for c in w["chunks"] if c["id"] == "juce"]
        if check(len(juce) == 1, "no 'juce' chunk"):
            check(juce[0]["restoreResult"] == 0, "the 'juce' chunk does not restore")
            check(b"MYPLUGINSETTINGS" in bytes.fromhex(juce[0]["data"]), "the 'juce' chunk holds no state")
    finish()


# --- signals -------------------------------------------------------------------------------------

def write_float_wav(path, rate, channels):
    frames = len(channels[0])
    data = struct.pack("<%df" % (frames * len(channels)), *[c[i] for i in range(frames) for c in channels])
    with open(path, "wb") as out:
        out.write(b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVE")
        out.write(b"fmt " + struct.pack("<IHHIIHH", 16, 3, len(channels), rate, rate * 4 * len(channels),
                                         4 * len(channels), 32))
        out.write(b"data" + struct.pack("<I", len(data)) + data)


def read_float_wav(path):
    with open(path, "rb") as f:
        data = f.read()
    at, fmt, samples = 12, None, None
    while at + 8 <= len(data):
        tag, size = data[at:at + 4], struct.unpack("<I", data[at + 4:at + 8])[0]
        body = data[at + 8:at + 8 + size]
        if tag == b"fmt ":
            fmt = struct.unpack("<HHIIHH", body[:16])
        elif tag == b"data":
            samples = body
        at += 8 + size + (size & 1)
    assert fmt is not None and samples is not None, "%s is not a WAV file" % path
    bits = fmt[5]
    if bits == 32:
        count = len(samples) // 4
        return fmt[2], fmt[1], struct.unpack("<%df" % count, samples[:count * 4])
    width = bits // 8
    assert width in (2, 3), "%s: %d-bit samples" % (path, bits)
    scale = float(1 << (bits - 1))
    values = [int.from_bytes(samples[i:i + width], "little", signed=True) / scale
              for i in range(0, len(samples) - width + 1, width)]
    return fmt[2], fmt[1], values


def program_signal(rate, seconds, channel, peak_db):
    """Tones, bursts and clicks that cross the ceiling, different in each channel."""
    frames = int(rate * seconds)
    out = []
    for i in range(frames):
        t = i / rate
        x = 0.5 * math.sin(2 * math.pi * (55 + 12 * channel) * t)
        x += 0.3 * math.sin(2 * math.pi * (440 * (1 + channel * 0.5)) * t) * (1 if int(t * 4) % 2 else 0.2)
        x += 0.2 * math.sin(2 * math.pi * 3150 * t + channel)
        if i % int(rate * 0.37) < 40:
            x += 0.9 * (1 if (i // 3) % 2 else -1)
        out.append(x)
    peak = max(abs(x) for x in out)
    gain = 10 ** (peak_db / 20) / peak
    return [x * gain for x in out]


def compare_renders(reference, got, tolerance, name):
    rl, cl, dl = read_float_wav(reference)
    rw, cw, dw = read_float_wav(got)
    if not check((rl, cl, len(dl)) == (rw, cw, len(dw)), "%s: Linux %s, Windows %s (rate, channels, samples)"
                 % (name, (rl, cl, len(dl)), (rw, cw, len(dw)))):
        return
    worst = max((abs(a - b) for a, b in zip(dl, dw)), default=0.0)
    check(worst <= tolerance, "%s: largest difference %.3g exceeds %g" % (name, worst, tolerance))
    print("%s: %d samples, largest difference %.3g" % (name, len(dl), worst))


def render(args):
    cases = [
        ("stereo-48k-minus1dB-block512", 48000, 2, "-1", 512),
        ("mono-44k1-minus3.5dB-block100", 44100, 1, "-3.5", 100),
        ("stereo-96k-default", 96000, 2, None, 512),
    ]
    os.makedirs(args.work, exist_ok=True)
    inputs = []
    for name, rate, channels, level, block in cases:
        path = os.path.join(args.work, name + ".wav")
        write_float_wav(path, rate, [program_signal(rate, 1.5, c, 6.0) for c in range(channels)])
        inputs.append((name, path, level, block))

    demo = os.path.join(args.work, "demo.wav")
    if check(run([os.path.join(args.linux_build, "tolvo-demo-signal"), "--force", demo]).returncode == 0, "no demo signal"):
        inputs.append(("demo", demo, None, 512))

    for name, path, level, block in inputs:
        options = (["--level", level] if level else []) + ["--block", str(block)]
        reference = os.path.join(args.work, name + "-linux.wav")
        got = os.path.join(args.work, name + "-windows.wav")
        for stale in (reference, got):
            if os.path.exists(stale):
                os.remove(stale)
        linux = run([os.path.join(args.linux_build, "tolvo-render"), "--keep-latency", *options, path, reference])
        windows = windows_host(args, "render", args.library, path, got, *options)
        if check(linux.returncode == 0 and windows.returncode == 0, "%s: a render failed" % name):
            compare_renders(reference, got, 1e-6, name)
            # Both could agree on doing nothing: the input passes the ceiling, the output
            # stays at it (the demo's sample peak ends 0.0006 dB over it, on Linux too).
            ceiling = 10 ** (float(level or "-0.1") / 20)
            peak_in = max(abs(x) for x in read_float_wav(path)[2])
            peak_out = max(abs(x) for x in read_float_wav(got)[2])
            check(peak_in > ceiling * 1.5 and peak_out <= ceiling * (1 + 1e-3),
                  "%s: peaks %.4f in, %.4f out, ceiling %.4f" % (name, peak_in, peak_out, ceiling))
    finish()


def render_tool(args):
    """tolvo-render.exe against the Linux tolvo-render, file for file, and its imports."""
    check_imports(load_pe(args.render, dll=False), args.render)
    os.makedirs(args.work, exist_ok=True)
    cases = [("stereo-48k-minus1dB", 48000, 2, ["--level", "-1"]),
             ("mono-44k1-minus3.5dB-block100", 44100, 1, ["--level", "-3.5", "--block", "100"]),
             ("stereo-96k-aligned-24bit", 96000, 2, ["--bits", "24"])]
    for name, rate, channels, options in cases:
        path = os.path.join(args.work, name + ".wav")
        write_float_wav(path, rate, [program_signal(rate, 1.5, c, 6.0) for c in range(channels)])
        reference = os.path.join(args.work, name + "-linux.wav")
        got = os.path.join(args.work, name + "-windows.wav")
        linux = run([os.path.join(args.linux_build, "tolvo-render"), "-q", "--force", *options, path, reference])
        converted = [windows_path(a) for a in (path, got)]
        windows = run([args.wine, args.render, "-q", "--force", *options, *converted])
        if check(linux.returncode == 0 and windows.returncode == 0, "%s: a render failed" % name):
            same = open(reference, "rb").read() == open(got, "rb").read()
            check(same, "%s: the Windows file differs from the Linux one" % name)
            print("%s: %s" % (name, "identical files" if same else "files differ"))
    finish()


def bypass(args):
    os.makedirs(args.work, exist_ok=True)
    path = os.path.join(args.work, "bypass-in.wav")
    got = os.path.join(args.work, "bypass-out.wav")
    write_float_wav(path, 48000, [program_signal(48000, 0.5, c, 6.0) for c in range(2)])
    if os.path.exists(got):
        os.remove(got)  # the host keeps an existing output without --force
    if check(windows_host(args, "render", args.library, path, got, "--bypass").returncode == 0, "render --bypass failed"):
        _, _, given = read_float_wav(path)
        _, _, out = read_float_wav(got)
        check(given == out, "Master Bypass changed the signal")
    finish()


# --- the window ----------------------------------------------------------------------------------

def read_bmp(path):
    with open(path, "rb") as f:
        data = f.read()
    offset, = struct.unpack("<I", data[10:14])
    width, height, _, bits = struct.unpack("<iiHH", data[18:30])
    return width, height, bits, data[offset:]


def gui(args):
    os.makedirs(args.work, exist_ok=True)
    bmp = os.path.join(args.work, "window-windows.bmp")
    if os.path.exists(bmp):
        os.remove(bmp)
    result = windows_host(args, "gui", args.library, "--snapshot", bmp)
    if check(result.returncode == 0, "gui failed"):
        w = json.loads(result.stdout)
        check(w["openResult"] == 0 and w["viewSizeResult"] == 0, "the view did not open: %s" % w)
        check((w["width"], w["height"]) == (632, 340), "view size %sx%s" % (w["width"], w["height"]))
        check((w["windowWidth"], w["windowHeight"]) == (632, 340),
              "window size %sx%s" % (w["windowWidth"], w["windowHeight"]))
        check(w["snapshotSaved"], "no snapshot")
        check(w["backgroundWorkDone"], "the window left work running")
    if check(os.path.exists(bmp), "no snapshot file"):
        width, height, bits, pixels = read_bmp(bmp)
        check((width, height, bits) == (632, 340, 24), "snapshot %dx%d at %d bits" % (width, height, bits))
        row = (width * 3 + 3) & ~3

        def pixel(x, y):
            at = (height - 1 - y) * row + 3 * x
            return pixels[at + 2], pixels[at + 1], pixels[at]
        # The lit display and the gold panel: not one flat colour, not black.
        check(len({pixel(x, y) for x in range(0, width, 16) for y in range(0, height, 16)}) > 50,
              "the snapshot is nearly flat: the editor did not paint")
        r, g, b = pixel(300, 150)
        check(r > g > b and r > 120, "the display at (300, 150) is %s, not lit amber" % ((r, g, b),))
        if args.png:
            check(run(["convert", bmp, args.png]).returncode == 0, "convert failed")
    finish()


# --- the update check and the display language ----------------------------------------------------

class LoopbackServer:
    """One port on 127.0.0.1 that answers every request with a status, or
    accepts and stays silent (status None); it records the request lines."""

    def __init__(self, status):
        self.status = status
        self.requests = []
        self.connections = 0
        self.sock = socket.socket()
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(8)
        self.address = "http://127.0.0.1:%d" % self.sock.getsockname()[1]
        self.held = []
        threading.Thread(target=self.serve, daemon=True).start()

    def serve(self):
        while True:
            try:
                connection, _ = self.sock.accept()
            except OSError:
                return
            self.connections += 1
            if self.status is None:
                self.held.append(connection)
                continue
            connection.settimeout(5)
            try:
                request = connection.recv(4096).decode(errors="replace")
                self.requests.append(request.split("\r\n")[0])
                connection.sendall(b"HTTP/1.1 %d Status\r\nContent-Length: 0\r\nConnection: close\r\n\r\n" % self.status)
            except OSError:
                pass
            connection.close()

    def close(self):
        self.sock.close()
        for c in self.held:
            c.close()


def editor_check(args, *arguments, env=None):
    result = run([args.wine, args.editor_check, *arguments], env=env)
    return json.loads(result.stdout) if result.returncode == 0 else None


def update(args):
    request = "GET /tolvo_update.php?v=%s HTTP/1.1" % args.version
    for status, badge in ((202, True), (200, False), (404, False), (None, False)):
        server = LoopbackServer(status)
        got = editor_check(args, "badge", server.address)
        name = "silence" if status is None else str(status)
        if check(got is not None, "%s: the editor check failed" % name):
            check(got["badge"] == badge, "%s: badge %s" % (name, "shown" if got["badge"] else "not shown"))
        if status is not None:
            check(server.requests == [request], "%s: requests %s" % (name, server.requests))
        else:
            check(server.connections == 1, "silence: %d connections" % server.connections)
        server.close()

    # A window closed while its check waits: nothing of the window is left for
    # the late answer, and the program ends cleanly. Wine's WinINet does not
    # apply the receive time-out to a server that accepts and stays silent, so
    # the check itself may wait on past 3 s there; that is reported, not failed.
    server = LoopbackServer(None)
    got = editor_check(args, "close-early", server.address)
    if check(got is not None, "close-early: the editor check failed or crashed"):
        if not got["checksEnded"]:
            print("note: the closed window's check still waited after %d ms (Wine's WinINet)" % got["waitedMs"])
    server.close()
    finish()


def unload(args):
    # The library asks its build-time server; Wine's WinINet sends that through
    # the proxy of http_proxy, here a server that never answers, so the check
    # is still waiting when the host unloads the library.
    proxy = LoopbackServer(None)
    env = dict(os.environ, http_proxy=proxy.address, https_proxy=proxy.address)
    result = windows_host(args, "gui", args.library, "--unload", env=env)
    if check(result.returncode == 0, "the host crashed or failed (exit %d)" % result.returncode):
        got = json.loads(result.stdout)
        check(got["unloaded"], "FreeLibrary failed")
        check(got["backgroundWorkAtUnload"], "the update check had ended before the unload: nothing proven")
        # The library may stay mapped until the check's thread has left it; once
        # it is gone, its range is fenced off, so a late return would have faulted.
        print("after FreeLibrary: still mapped %s, range fenced %s, check ended within 10 s %s"
              % (got["stillMapped"], got["rangeFenced"], got["backgroundWorkDone"]))
    check(proxy.connections >= 1, "the update check never reached the proxy: nothing was waiting")
    proxy.close()
    finish()


def language(args):
    cases = [
        ("ja_JP.UTF-8", "ja", "Meiryo UI", "新しいバージョンのTolvoがリリースされています", "Tolvoについて"),
        ("zh_CN.UTF-8", "zh", "Microsoft YaHei UI", "新Tolvo发布", "关于Tolvo"),
        ("zh_TW.UTF-8", "zh", "Microsoft YaHei UI", "新Tolvo发布", "关于Tolvo"),
        ("en_US.UTF-8", "en", None, "New Tolvo is released", "About Tolvo"),
    ]
    for locale, prefix, typeface, question, about in cases:
        env = dict(os.environ, LANG=locale, LC_ALL=locale)
        got = editor_check(args, "language", env=env)
        if not check(got is not None, "%s: the editor check failed" % locale):
            continue
        check(got["displayLanguage"].startswith(prefix), "%s: display language %s" % (locale, got["displayLanguage"]))
        if typeface:
            check(got["typeface"] == typeface, "%s: typeface %s" % (locale, got["typeface"]))
        else:
            check(got["typeface"] not in ("Meiryo UI", "Microsoft YaHei UI"), "%s: typeface %s" % (locale, got["typeface"]))
        check(got["questionTitle"] == question, "%s: question title %s" % (locale, got["questionTitle"]))
        check(got["aboutTitle"] == about, "%s: about title %s" % (locale, got["aboutTitle"]))
        check(args.version in got["aboutMessage"], "%s: the about box lacks the version" % locale)
    finish()


# --- the installer -------------------------------------------------------------------------------

UNINSTALL_KEY = "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Tolvo"


def installer(args):
    """The installer in the fresh Wine prefix TOLVO_WINEPREFIX: a silent install puts the files where Windows
    hosts look and lists Tolvo under installed programs; the installed AAX library and tolvo-render.exe pass the
    checks the build's own files pass; the silent uninstall leaves the prefix as it found it."""
    numbers, strings = version_resource(load_pe(args.installer, dll=False))
    check(numbers == [int(x) for x in args.version.split(".")] + [0], "the installer's file version is %s" % numbers)
    for key, value in {"ProductName": "Tolvo", "CompanyName": args.company, "ProductVersion": args.version}.items():
        check(strings.get(key) == value, "the installer's %s is %r, expected %r" % (key, strings.get(key), value))

    prefix = os.environ["TOLVO_WINEPREFIX"]
    drive_c = os.path.join(prefix, "drive_c")
    common = os.path.join(drive_c, "Program Files", "Common Files")
    installed = {
        "VST3": os.path.join(common, "VST3", "Tolvo.vst3", "Contents", "x86_64-win", "Tolvo.vst3"),
        "AAX": os.path.join(common, "Avid", "Audio", "Plug-Ins", "Tolvo.aaxplugin", "Contents", "x64", "Tolvo.aaxplugin"),
        "tolvo-render": os.path.join(drive_c, "Program Files", "Tolvo", "tolvo-render.exe"),
        "uninstaller": os.path.join(drive_c, "Program Files", "Tolvo", "Uninstall.exe"),
        "licence": os.path.join(drive_c, "Program Files", "Tolvo", "LICENSE.txt"),
        "notices": os.path.join(drive_c, "Program Files", "Tolvo", "THIRD-PARTY-NOTICES.txt"),
    }
    wineserver = next((w for w in ("/usr/lib/wine/wineserver64", "/usr/lib/wine/wineserver", "/usr/bin/wineserver")
                       if os.path.exists(w)), "wineserver")

    def wait():
        # The uninstaller goes on from a copy of itself; wait until every program in the prefix has ended.
        subprocess.run([wineserver, "-w"], env=dict(os.environ, WINEPREFIX=prefix), timeout=240)

    def files():
        # Everything but Windows' own folder and the user profiles, where Wine keeps its temporary files.
        found = set()
        for top in os.listdir(drive_c):
            if top.lower() not in ("windows", "users"):
                for folder, dirs, names in os.walk(os.path.join(drive_c, top)):
                    found.update(os.path.join(folder, n) for n in dirs + names)
        return found

    def listing():
        result = run([args.wine, "reg", "query", UNINSTALL_KEY])
        entries = {}
        for line in result.stdout.decode(errors="replace").splitlines():
            parts = line.strip().split(None, 2)
            if len(parts) == 3 and parts[1].startswith("REG_"):
                entries[parts[0]] = parts[2]
        return entries

    check(run([args.wine, "wineboot", "--init"]).returncode == 0, "wineboot failed")
    wait()
    before = files()
    check(not listing(), "the fresh prefix lists Tolvo already")

    # The AAX test build is chosen only on request.
    check(run([args.wine, args.installer, "/S", "/AAX"]).returncode == 0, "the silent install failed")
    wait()
    for name, path in installed.items():
        check(os.path.isfile(path), "%s is missing after the install: %s" % (name, path))
    entries = listing()
    for key, value in {"DisplayName": "Tolvo", "DisplayVersion": args.version, "Publisher": args.company}.items():
        check(entries.get(key) == value, "installed programs: %s is %r, expected %r" % (key, entries.get(key), value))
    check("Uninstall.exe" in entries.get("UninstallString", ""), "installed programs: no UninstallString")
    print("installed; listed as %s %s by %s" % (entries.get("DisplayName"), entries.get("DisplayVersion"),
                                                entries.get("Publisher")))

    for name, options in (("scan", ["--host", args.host, "--library", installed["AAX"]]),
                          ("render-tool", ["--render", installed["tolvo-render"]])):
        result = subprocess.run([sys.executable, os.path.abspath(__file__), name, "--wine", args.wine, *options,
                                 "--linux-build", args.linux_build, "--work", os.path.join(args.work, name)])
        check(result.returncode == 0, "the installed files fail the %s check" % name)

    check(run([args.wine, installed["uninstaller"], "/S"]).returncode == 0, "the silent uninstall failed")
    wait()
    left = sorted(files() - before)
    check(not left, "left after the uninstall: %s" % left)
    check(not listing(), "Tolvo is still listed under installed programs after the uninstall")
    finish()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("check", choices=["pe-aax", "pe-vst3", "scan", "render", "bypass", "chunks", "gui", "unload",
                                          "update", "language", "render-tool", "installer"])
    parser.add_argument("--editor-check")
    parser.add_argument("--library")
    parser.add_argument("--version")
    parser.add_argument("--company")
    parser.add_argument("--wine")
    parser.add_argument("--host")
    parser.add_argument("--linux-build")
    parser.add_argument("--work")
    parser.add_argument("--png")
    parser.add_argument("--render")
    parser.add_argument("--installer")
    args = parser.parse_args()
    {"pe-aax": pe_aax, "pe-vst3": pe_vst3, "scan": scan, "render": render, "bypass": bypass,
     "chunks": chunks, "gui": gui, "unload": unload, "update": update, "language": language,
     "render-tool": render_tool, "installer": installer}[args.check](args)


if __name__ == "__main__":
    main()
