"""Scenarios that must run as a user who is not root.

Under Wine, root writes through read-only bits, so read-only files and folders can only be shown
as another user. A scenario calls rerun_as_user() before anything else: run as root, it runs the
same script again as an unprivileged user (setpriv) with a Wine prefix, an X display and a work
folder of that user's own, copies its logs back, and exits with the run's status. Run as any
other user it returns at once. Where no such user can be made, it exits with SKIP_STATUS after
saying why (CTest shows the test as skipped).

tiny_disk: the root side also mounts a small tmpfs of that many KiB for a full-disk case, owned
by the user; the scenario finds it in $PV_TINY_DISK, or the reason why there is none in
$PV_TINY_DISK_SKIP.
"""

import os
import pwd
import shutil
import subprocess
import sys
import tempfile

SKIP_STATUS = 77
USER = "nobody"


def _skip(reason):
    print("SKIP: %s" % reason)
    sys.exit(SKIP_STATUS)


def _mount_tiny_disk(home, size_kib, uid, gid):
    """The mount point, or (None, why not)."""
    point = os.path.join(home, "tiny-disk")
    os.makedirs(point)
    done = subprocess.run(["mount", "-t", "tmpfs", "-o", "size=%dk,mode=0755" % size_kib, "tmpfs", point],
                          stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    if done.returncode != 0:
        return None, "a tmpfs cannot be mounted here: %s" % done.stdout.decode(errors="replace").strip()
    os.chown(point, uid, gid)
    return point, None


def _stop_leftovers(home, user_prefix):
    """The Wine environment a killed run left behind (its own script stops it otherwise)."""
    state = os.path.join(home, "e2e-wine-env")
    if os.path.exists(os.path.join(state, "env.sh")):
        script = os.path.join(os.environ.get("PV_SOURCE_DIR", _source_dir()), "scripts", "wine-env.sh")
        subprocess.run(user_prefix + ["bash", script, "stop", state], stdout=subprocess.DEVNULL,
                       stderr=subprocess.DEVNULL, timeout=60)


def _source_dir():
    return os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))


def rerun_as_user(tiny_disk=None):
    if os.geteuid() != 0:
        return
    if not shutil.which("setpriv"):
        _skip("setpriv (util-linux) is missing: the scenario cannot run as a user who is not root")
    try:
        account = pwd.getpwnam(USER)
    except KeyError:
        _skip("there is no user %r to run the scenario as" % USER)
    uid, gid = account.pw_uid, account.pw_gid
    binary_dir = os.path.abspath(os.environ.get("PV_BINARY_DIR", os.getcwd()))
    probe = subprocess.run(["setpriv", "--reuid=%d" % uid, "--regid=%d" % gid, "--clear-groups", "test", "-r",
                            os.path.join(binary_dir, "Pennivox", "Pennivox.exe")])
    if probe.returncode != 0:
        _skip("user %r cannot read the build in %s" % (USER, binary_dir))

    home = tempfile.mkdtemp(prefix="pv-e2e-user-")
    os.chmod(home, 0o755)
    os.chown(home, uid, gid)
    user_prefix = ["setpriv", "--reuid=%d" % uid, "--regid=%d" % gid, "--clear-groups"]
    env = {key: os.environ[key] for key in ("PATH", "LANG", "LC_ALL", "PV_SHARED_DIR") if key in os.environ}
    env.update({"HOME": home, "USER": USER, "LOGNAME": USER, "PV_BINARY_DIR": binary_dir,
                "PV_SOURCE_DIR": os.environ.get("PV_SOURCE_DIR", _source_dir()), "PV_E2E_WORK_DIR": home,
                "PYTHONPATH": os.path.dirname(os.path.abspath(__file__))})
    mounted = None
    try:
        if tiny_disk:
            mounted, why = _mount_tiny_disk(home, tiny_disk, uid, gid)
            env["PV_TINY_DISK" if mounted else "PV_TINY_DISK_SKIP"] = mounted or why
        script = os.path.abspath(sys.argv[0])
        status = subprocess.call(user_prefix + [sys.executable, "-u", script] + sys.argv[1:], env=env, cwd=home)
        _stop_leftovers(home, user_prefix)
        name = os.path.splitext(os.path.basename(script))[0]
        logs = os.path.join(home, "Testing", "e2e")
        if os.path.isdir(logs):
            for entry in os.listdir(logs):
                target = os.path.join(binary_dir, "Testing", "e2e", entry)
                shutil.rmtree(target, ignore_errors=True)
                shutil.copytree(os.path.join(logs, entry), target, symlinks=True,
                                ignore=shutil.ignore_patterns("*.exe", "*.dll", "*.lib", "prefix"))
        print("%s ran as user %r (logs in %s)" % (name, USER, os.path.join(binary_dir, "Testing", "e2e")))
    finally:
        if mounted:
            subprocess.run(["umount", mounted])
        shutil.rmtree(home, ignore_errors=True)
    sys.exit(status)
