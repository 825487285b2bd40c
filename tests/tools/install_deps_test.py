#!/usr/bin/env python3
"""The decisions of tools/install-deps and of the Makefile's choice of Windows
tier, driven with fake apt-get, dpkg, dpkg-query and id commands on PATH: no
root, no network, nothing installed."""
import os
import shutil
import stat
import subprocess
import tempfile
import unittest

TOP = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(TOP, "tools", "install-deps")

# The fakes keep their state in files of $FAKE: installed (one package a line),
# arches, update_failures (how many updates fail first; "always"),
# uninstallable (packages apt refuses), and calls (every call, one a line).
FAKES = {
    "id": """#!/bin/sh
echo "${FAKE_UID:-0}"
""",
    "dpkg-query": """#!/bin/sh
echo "dpkg-query $*" >>"$FAKE/calls"
for last; do :; done
grep -qx -- "$last" "$FAKE/installed" 2>/dev/null || exit 1
printf 'install ok installed'
""",
    "dpkg": """#!/bin/sh
echo "dpkg $*" >>"$FAKE/calls"
case "$1" in
    --print-foreign-architectures) cat "$FAKE/arches" 2>/dev/null ;;
    --add-architecture) echo "$2" >>"$FAKE/arches" ;;
esac
""",
    "apt-get": """#!/bin/sh
echo "apt-get $*" >>"$FAKE/calls"
case "$1" in
update)
    n=$(grep -c '^apt-get update' "$FAKE/calls")
    fails=$(cat "$FAKE/update_failures" 2>/dev/null || echo 0)
    if [ "$fails" = always ] || [ "$n" -le "$fails" ]; then
        echo "Get:1 http://mirror bookworm InRelease"
        echo "E: Failed to fetch http://mirror/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (1234 != 5678). Mirror sync in progress? [IP: 10.0.0.1 80]"
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead."
        exit 100
    fi
    exit 0 ;;
install)
    shift
    pkgs=""
    for p; do
        case "$p" in -*) ;; *) pkgs="$pkgs $p" ;; esac
    done
    for p in $pkgs; do
        if grep -qx -- "$p" "$FAKE/uninstallable" 2>/dev/null; then
            echo "The following packages have unmet dependencies:"
            echo " $p : Depends: libwine:i386 (= 8.0~repack-4) but it is not going to be installed"
            echo "E: Unable to correct problems, you have held broken packages."
            exit 100
        fi
    done
    for p in $pkgs; do echo "$p" >>"$FAKE/installed"; done ;;
esac
""",
}


def required_packages():
    """The packages every machine needs, read from the script itself."""
    with open(SCRIPT) as f:
        text = f.read()
    block = text.split('REQUIRED="', 1)[1].split('"', 1)[0]
    return block.split()


class Machine:
    def __init__(self, host32, installed=(), arches=(), update_failures=0,
                 uninstallable=(), uid=0):
        self.dir = tempfile.mkdtemp(prefix="vorlex-deps-test.")
        self.bin = os.path.join(self.dir, "bin")
        os.mkdir(self.bin)
        for name, body in FAKES.items():
            path = os.path.join(self.bin, name)
            with open(path, "w") as f:
                f.write(body)
            os.chmod(path, stat.S_IRWXU)
        self.write("installed", installed)
        self.write("arches", arches)
        self.write("uninstallable", uninstallable)
        with open(self.path("update_failures"), "w") as f:
            f.write(str(update_failures))
        self.host32 = host32
        self.uid = uid

    def path(self, name):
        return os.path.join(self.dir, name)

    def write(self, name, lines):
        with open(self.path(name), "w") as f:
            f.write("".join(line + "\n" for line in lines))

    def lines(self, name):
        if not os.path.exists(self.path(name)):
            return []
        with open(self.path(name)) as f:
            return f.read().split("\n")[:-1]

    def env(self):
        env = dict(os.environ)
        env.update(PATH=self.bin + ":/usr/bin:/bin", FAKE=self.dir, FAKE_UID=str(self.uid),
                   VORLEX_HOST_PROBE="true" if self.host32 else "false",
                   VORLEX_RETRY_SECONDS="0")
        return env

    def run(self, *command):
        return subprocess.run(list(command), env=self.env(), capture_output=True, text=True,
                              timeout=60, cwd=TOP)

    def install_deps(self):
        return self.run(SCRIPT)

    def calls(self, prefix):
        return [c for c in self.lines("calls") if c.startswith(prefix)]

    def installs(self):
        return [c.split()[2:] for c in self.calls("apt-get install")]

    def cleanup(self):
        shutil.rmtree(self.dir)


class InstallDeps(unittest.TestCase):
    def machine(self, **kw):
        m = Machine(**kw)
        self.addCleanup(m.cleanup)
        return m

    def assert_all_required(self, m):
        self.assertEqual(set(required_packages()) - set(m.lines("installed")), set())

    def test_64bit_host_asks_for_no_i386_and_no_wine32(self):
        m = self.machine(host32=False)
        r = m.install_deps()
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(m.calls("dpkg --add-architecture"), [])
        self.assertNotIn("wine32:i386", m.lines("installed"))
        self.assert_all_required(m)
        self.assertEqual(len(m.calls("apt-get update")), 1)
        self.assertEqual(r.stderr, "")

    def test_32bit_host_adds_i386_and_installs_wine32_in_one_go(self):
        m = self.machine(host32=True)
        r = m.install_deps()
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(m.calls("dpkg --add-architecture"), ["dpkg --add-architecture i386"])
        self.assertIn("wine32:i386", m.lines("installed"))
        self.assert_all_required(m)
        self.assertEqual(len(m.installs()), 1)
        self.assertEqual(r.stderr, "")

    def test_nothing_missing_does_nothing(self):
        m = self.machine(host32=True, installed=required_packages() + ["wine32:i386"],
                         arches=["i386"], uid=1000)
        r = m.install_deps()
        self.assertEqual((r.returncode, r.stdout, r.stderr), (0, "", ""))
        self.assertEqual(m.calls("apt-get") + m.calls("dpkg --add"), [])

    def test_not_root_names_what_is_missing_and_the_command(self):
        m = self.machine(host32=False, installed=required_packages()[1:], uid=1000)
        r = m.install_deps()
        self.assertEqual(r.returncode, 1)
        self.assertIn("Missing packages: " + required_packages()[0] + "\n", r.stderr)
        self.assertIn("sudo", r.stderr)
        self.assertEqual(m.calls("apt-get"), [])

    def test_update_that_fails_twice_then_works(self):
        m = self.machine(host32=True, update_failures=2)
        r = m.install_deps()
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(len(m.calls("apt-get update")), 3)
        self.assertEqual(r.stderr, "")
        self.assertIn("wine32:i386", m.lines("installed"))

    def test_index_that_never_comes_back_on_a_32bit_host(self):
        # The failing i386 index leaves wine32's libraries unmatched: the rest
        # is installed, and both the index and the package are named.
        m = self.machine(host32=True, update_failures="always", uninstallable=["wine32:i386"])
        r = m.install_deps()
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assertEqual(len(m.calls("apt-get update")), 3)
        self.assert_all_required(m)
        self.assertIn("index failed 3 times", r.stderr)
        self.assertIn("Mirror sync in progress?", r.stderr)
        self.assertIn("cannot install wine32:i386 (wine32:i386 : Depends: libwine:i386", r.stderr)
        self.assertIn("64-bit edition", r.stderr)
        self.assertLessEqual(len(r.stderr.splitlines()), 6)

    def test_index_that_never_comes_back_on_a_64bit_host(self):
        m = self.machine(host32=False, update_failures="always")
        r = m.install_deps()
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assert_all_required(m)
        self.assertEqual(len(m.installs()), 1)

    def test_wine32_not_installable_installs_the_rest_and_succeeds(self):
        m = self.machine(host32=True, uninstallable=["wine32:i386"])
        r = m.install_deps()
        self.assertEqual(r.returncode, 0, r.stderr)
        self.assert_all_required(m)
        self.assertNotIn("wine32:i386", m.lines("installed"))
        self.assertIn("cannot install wine32:i386", r.stderr)
        self.assertIn("sudo tools/install-deps", r.stderr)

    def test_a_required_package_not_installable_fails_and_is_named(self):
        m = self.machine(host32=False, uninstallable=["libyuv-dev"])
        r = m.install_deps()
        self.assertEqual(r.returncode, 1)
        self.assertIn("cannot install libyuv-dev", r.stderr)
        self.assertIn("missing what this machine needs: libyuv-dev", r.stderr)
        # Everything else still went in.
        self.assertEqual(set(required_packages()) - set(m.lines("installed")), {"libyuv-dev"})


class MakeTier(unittest.TestCase):
    """The Makefile's first line names the tier, and why 32-bit tests do not run."""

    def notice(self, host32, wine32):
        m = Machine(host32=host32, installed=["wine32:i386"] if wine32 else [])
        self.addCleanup(m.cleanup)
        r = m.run("make", "-s", "--no-print-directory", "tier-notice",
                  "HOST_PROBE=" + ("true" if host32 else "false"))
        self.assertEqual(r.returncode, 0, r.stderr)
        return r.stdout

    def test_32bit_host_with_wine32_tests_the_32bit_build(self):
        self.assertTrue(self.notice(True, True).startswith("Windows tests: all of them on the 32-bit"))

    def test_32bit_host_without_wine32_falls_back_and_names_the_package(self):
        out = self.notice(True, False)
        self.assertIn("run on the 64-bit build", out)
        self.assertIn("wine32:i386", out)
        self.assertIn("sudo tools/install-deps", out)

    def test_64bit_host_names_the_kernel(self):
        out = self.notice(False, True)
        self.assertIn("this kernel cannot run 32-bit programs", out)


if __name__ == "__main__":
    unittest.main()
