"""The real systemd-timedated and polkitd of Debian on a private system bus,
with a stand-in only for systemd itself (systemd_standin.py).

    with RealTimeDaemons(scratch, polkit_rule="yes", ntp_active=False) as daemons:
        environment["DBUS_SYSTEM_BUS_ADDRESS"] = daemons.address
        ...  # the program, run as the unprivileged user, asks timedated
        daemons.clock.changes()        # each step timedated made of its clock
        daemons.systemd_calls()        # what reached the stand-in systemd, in order
        daemons.set_polkit_rule("no")

How each daemon runs, so that none can reach the machine's clock, services or
configuration:
- the bus is a dbus-daemon of the test's own, its socket in the folder, with
  the system bus's default policy and the packages' own policy files;
- polkitd runs as root in private PID and mount namespaces, where the test's
  rules, the packages' action files and (when missing) a polkitd user are
  mounted over the machine's, in layers that exist only in memory;
- systemd-timedated is started by the bus when a call comes for it (it ends
  itself after 30 s idle, and the bus starts it again), in a PID namespace of
  the harness's, so that it ends with the harness however that ends (it
  outlives its bus, waiting for the socket to come back); as the unprivileged
  user inside a user namespace where it is root, with the clock interception
  library preloaded: a step moves only the library's clock, whose offset is
  kept in a state file from one start to the next, and a call past the library
  fails with EPERM; it asks polkit exactly as on a real system, since the
  caller's user differs from its own;
- the systemd stand-in runs as root, as systemd does, so polkit lets it check
  any caller's authorization.

The daemons' binaries are the Debian packages unpacked, never installed, by
tools/fetch-real-daemons.sh. Running them needs root.
"""

import ctypes
import functools
import grp
import json
import os
import pwd
import select
import shutil
import signal
import subprocess

from private_bus import SYSTEM_PYTHON
from quarnel_e2e import (SHIM, UNPRIVILEGED, ClockLog, DaemonsInFolder, _forget, _live_processes,
                         end_process, hand_over, wait_until)

HERE = os.path.dirname(os.path.abspath(__file__))
FETCH = os.path.join(HERE, "..", "..", "tools", "fetch-real-daemons.sh")
STANDIN = os.path.join(HERE, "systemd_standin.py")
NAMESPACE_SCRIPTS = ("polkitd_namespace.sh", "timedated_namespace.sh")

TIMEDATE_ACTIONS = ("org.freedesktop.timedate1.set-time", "org.freedesktop.timedate1.set-ntp")
SYSTEMD_ACTIONS = ("org.freedesktop.systemd1.manage-units",
                   "org.freedesktop.systemd1.manage-unit-files",
                   "org.freedesktop.systemd1.reload-daemon")
# What the test's rule answers, as polkit's rules name it.
RESULTS = {"yes": "YES", "no": "NO", "auth_admin": "AUTH_ADMIN"}
RULES_LOADED = "Finished loading, compiling and executing"
PR_SET_PDEATHSIG = 1

BUS_CONFIGURATION = """<!DOCTYPE busconfig PUBLIC
 "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path={socket}</listen>
  <auth>EXTERNAL</auth>
  <servicedir>{services}</servicedir>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
    <allow send_destination="org.freedesktop.DBus"
           send_interface="org.freedesktop.DBus.Introspectable"/>
    <allow send_destination="org.freedesktop.DBus"
           send_interface="org.freedesktop.DBus.Properties"/>
    <deny send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"
          send_member="UpdateActivationEnvironment"/>
  </policy>
  <policy user="root">
    <allow send_destination="org.freedesktop.DBus"
           send_interface="org.freedesktop.DBus.Monitoring"/>
  </policy>
{includes}
  <!-- timedated runs as nobody here, as root on a real system; polkitd's user
       is named by number, as it may exist only in polkitd's namespace. -->
  <policy user="nobody">
    <allow own="org.freedesktop.timedate1"/>
  </policy>
  <policy user="{polkitd_uid}">
    <allow own="org.freedesktop.PolicyKit1"/>
  </policy>
</busconfig>
"""

RULE = """// The test's answer to the actions the program's requests need.
polkit.addRule(function(action, subject) {{
    var actions = {actions};
    if (subject.user == "{user}" && actions[action.id]) {{
        return polkit.Result[actions[action.id]];
    }}
}});
"""


def _killed_with_the_harness():
    """Run in a child before exec: the kernel kills it when the harness dies.
    SIGKILL, as unshare holds SIGTERM back while it waits for its child."""
    ctypes.CDLL(None, use_errno=True).prctl(PR_SET_PDEATHSIG, signal.SIGKILL)


def children(pid):
    """The process's children, by process id."""
    with open(f"/proc/{pid}/task/{pid}/children", encoding="ascii") as file:
        return [int(child) for child in file.read().split()]


@functools.cache
def fetch_packages(*names):
    """The named packages' unpacked folders, by package name, fetched if
    needed (once a test run: asking the registry takes seconds)."""
    fetched = subprocess.run(["bash", FETCH, *names], capture_output=True, text=True,
                             timeout=300)
    if fetched.returncode != 0:
        raise RuntimeError("the real daemons' packages could not be fetched:\n" + fetched.stderr)
    return dict(line.split("=", 1) for line in fetched.stdout.split())


def polkit_actions(rule):
    """The action answers a rule stands for: one answer for every action the
    program needs, or a mapping of action to answer."""
    if isinstance(rule, str):
        rule = dict.fromkeys(TIMEDATE_ACTIONS + SYSTEMD_ACTIONS, rule)
    return {action: RESULTS[answer] for action, answer in rule.items()}


def polkitd_user():
    """polkitd's user id, and the lines of /etc/passwd and /etc/group that
    add the user and its group where polkit is not installed."""
    try:
        return pwd.getpwnam("polkitd").pw_uid, {}
    except KeyError:
        pass
    uid = next(uid for uid in range(999, 100, -1) if not _exists(pwd.getpwuid, uid))
    gid = next(gid for gid in range(999, 100, -1) if not _exists(grp.getgrgid, gid))
    return uid, {"passwd": f"polkitd:x:{uid}:{gid}:polkit:/nonexistent:/usr/sbin/nologin\n",
                 "group": f"polkitd:x:{gid}:\n"}


def _exists(lookup, number):
    try:
        lookup(number)
        return True
    except KeyError:
        return False


class RealTimeDaemons(DaemonsInFolder):
    """The bus, polkitd, timedated (started by the bus on demand) and the
    systemd stand-in, in `scratch` (a folder, or a quarnel_e2e.Scratch) under
    time-daemons/. stop() ends everything; so does the harness's SIGTERM."""

    def __init__(self, scratch, polkit_rule="yes", ntp_active=False,
                 ntp_unit="systemd-timesyncd.service", units=None, failing_units=(),
                 refusing_units=(), shim=SHIM):
        """units: other units the stand-in knows, {name: active}; a unit in
        failing_units has its stop job fail, one in refusing_units is refused
        a start or stop."""
        if os.geteuid() != 0:
            raise RuntimeError("the real time daemons need root (polkitd starts as root)")
        if not shim:
            raise RuntimeError("QUARNEL_E2E_SHIM must name the clock interception library")
        self.folder = os.path.join(getattr(scratch, "path", scratch), "time-daemons")
        if os.path.realpath(self.folder).startswith("/run/"):
            raise RuntimeError("timedated covers /run with a folder of its own: "
                               "the scratch folder must lie elsewhere")
        self.processes = []
        self.timedated_namespace = None
        self.packages = fetch_packages("systemd", "libsystemd-shared", "polkitd")
        self._prepare_folder(shim, ntp_unit)
        self.clock = ClockLog(self.file("timedated-clock.log"))
        self.record = self.file("systemd-calls.jsonl")
        try:
            self._write_units(ntp_unit, ntp_active, units or {}, failing_units, refusing_units)
            self._start_timedated_namespace()
            self._write_users()
            self._start_bus()
            self._start_polkitd(polkit_rule)
            self._start_standin()
        except BaseException:
            self.stop()
            raise

    # --- what a test reads ---

    def clock_offset_ns(self):
        """How far timedated's clock stands from the real one."""
        return self.clock.offset_ns()

    def systemd_calls(self, members=None):
        """The calls that reached the stand-in systemd, in order, each a dict
        with member, args, sender, interactive and outcome ("ok" or the error
        name); only those of the given members when named."""
        try:
            with open(self.record, encoding="utf-8") as file:
                calls = [json.loads(line) for line in file]
        except FileNotFoundError:
            return []
        return [call for call in calls if members is None or call["member"] in members]

    def timedated_log(self):
        try:
            with open(self.file("timedated.log"), encoding="utf-8", errors="replace") as file:
                return file.read()
        except FileNotFoundError:
            return ""

    def polkitd_log(self):
        with open(self.file("polkitd.log"), encoding="utf-8", errors="replace") as file:
            return file.read()

    # --- what a test changes ---

    def set_polkit_rule(self, rule):
        """Replaces the test's polkit rule ("yes", "no", "auth_admin", or
        {action: answer}) and waits until polkitd has loaded it."""
        loads = self.polkitd_log().count(RULES_LOADED)
        self._write_rule(polkit_actions(rule))
        if not wait_until(lambda: self.polkitd_log().count(RULES_LOADED) > loads, 10):
            raise RuntimeError("polkitd did not load the new rule:\n" + self.polkitd_log())

    def end_timedated(self):
        """Ends the running timedated, as its idle timeout does after 30 s;
        the bus starts a new one for the next call."""
        for pid in self.timedated_processes():
            os.kill(pid, signal.SIGTERM)
        if not wait_until(lambda: not self.timedated_processes(), 5):
            raise RuntimeError("timedated did not end")

    # --- starting ---

    def _prepare_folder(self, shim, ntp_unit):
        os.makedirs(self.folder)
        hand_over(self.folder)
        for script in NAMESPACE_SCRIPTS:
            shutil.copy(os.path.join(HERE, script), self.file(script))
        shutil.copy(shim, self.file("libquarnel_clockshim.so"))
        with open(self.file("ntp-units.list"), "w", encoding="utf-8") as file:
            file.write(ntp_unit + "\n")
        polkit = self.file("polkit")
        for name in ("rules.d", "actions", "empty", "layers"):
            os.makedirs(os.path.join(polkit, name))
        os.chmod(polkit, 0o755)

    def _write_units(self, ntp_unit, ntp_active, units, failing, refusing):
        # A unit whose stop fails or is refused is a running unit.
        known = {**dict.fromkeys([*failing, *refusing], True), **units}
        configured = {name: {"active": bool(active), "enabled": bool(active)}
                      for name, active in known.items()}
        configured[ntp_unit] = {"active": ntp_active, "enabled": ntp_active}
        with open(self.file("units.json"), "w", encoding="utf-8") as file:
            json.dump({"units": configured, "failing": list(failing),
                       "refusing": list(refusing)}, file)

    def _spawn(self, command, log, ready=None, stop_signal=signal.SIGTERM, **kwargs):
        """Starts a process with its output appended to the log file; with
        `ready` (what it is, for the error), waits for the first line it
        prints to its standard output, which is returned."""
        with open(self.file(log), "ab") as output:
            process = subprocess.Popen(command, stdout=subprocess.PIPE if ready else output,
                                       stderr=output, text=True,
                                       preexec_fn=_killed_with_the_harness, **kwargs)
        self.processes.append((process, stop_signal))
        _live_processes.append(process)
        if not ready:
            return process
        waiting, _, _ = select.select([process.stdout], [], [], 10)
        line = process.stdout.readline().strip() if waiting else ""
        if not line:
            with open(self.file(log), encoding="utf-8", errors="replace") as output:
                raise RuntimeError(f"{ready} did not start:\n{output.read()}")
        return line

    def _start_timedated_namespace(self):
        """The PID namespace every timedated the bus starts is put in: its
        first process waits, and when it is killed the kernel ends them all."""
        holder = self._spawn(["unshare", "--pid", "--fork", "--kill-child", "sleep", "infinity"],
                             "namespace.log", stop_signal=signal.SIGKILL)
        if not wait_until(lambda: children(holder.pid), 5):
            raise RuntimeError("the PID namespace for timedated was not made")
        self.namespace_init = children(holder.pid)[0]
        self.timedated_namespace = os.readlink(f"/proc/{self.namespace_init}/ns/pid")

    def _write_users(self):
        """The machine's users and groups, with polkitd's added where polkit
        is not installed; polkitd and the bus, which checks every connecting
        user, both see these."""
        self.polkitd_uid, polkitd_entries = polkitd_user()
        for name in ("passwd", "group"):
            with open(f"/etc/{name}", encoding="utf-8") as machine:
                text = machine.read()
            with open(self.file(f"polkit/{name}"), "w", encoding="utf-8") as copy:
                copy.write(text + polkitd_entries.get(name, ""))

    def _start_bus(self):
        systemd = self.packages["systemd"]
        policies = [os.path.join(self.packages["polkitd"],
                                 "usr/share/dbus-1/system.d/org.freedesktop.PolicyKit1.conf")]
        policies += [os.path.join(systemd, f"usr/share/dbus-1/system.d/org.freedesktop.{name}.conf")
                     for name in ("timedate1", "systemd1")]
        # A short name: dbus-daemon takes socket paths of at most 99 characters,
        # and the scratch folders lie deep.
        socket = self.file("bus.socket")
        self.address = f"unix:path={socket}"
        services = self.file("services")
        os.mkdir(services)
        with open(self.file("bus.conf"), "w", encoding="utf-8") as file:
            file.write(BUS_CONFIGURATION.format(
                socket=socket, services=services, polkitd_uid=self.polkitd_uid,
                includes="\n".join(f"  <include>{path}</include>" for path in policies)))
        self._write_timedated_service(services)
        # dbus-daemon sees the users polkitd sees: it checks every connecting
        # user, polkitd's included. timedated, which it starts, gets its whole
        # environment from the service file.
        users = [self.file("polkit/passwd"), self.file("polkit/group")]
        self._spawn(["unshare", "--mount", "--propagation", "private", "/bin/sh", "-c",
                     'mount --bind "$1" /etc/passwd && mount --bind "$2" /etc/group && '
                     'shift 2 && exec "$@"', "sh", *users,
                     "dbus-daemon", f"--config-file={self.file('bus.conf')}", "--nofork",
                     "--print-address=1"], "bus.log", ready="dbus-daemon",
                    env={"PATH": "/usr/sbin:/usr/bin:/sbin:/bin"})

    def _write_timedated_service(self, services):
        timedated = os.path.join(self.packages["systemd"], "lib/systemd/systemd-timedated")
        libraries = os.path.join(self.packages["libsystemd-shared"],
                                 "usr/lib/x86_64-linux-gnu/systemd")
        environment = {
            "PATH": "/usr/sbin:/usr/bin:/sbin:/bin",
            "DBUS_SYSTEM_BUS_ADDRESS": self.address,
            "LD_LIBRARY_PATH": libraries,
            "QUARNEL_CLOCKSHIM_LOG": self.file("timedated-clock.log"),
            "QUARNEL_CLOCKSHIM_STATE": self.file("timedated-clock.state"),
            "SYSTEMD_LOG_TARGET": "console",
            "SYSTEMD_LOG_LEVEL": "debug",
        }
        command = ["/usr/bin/nsenter", f"--target={self.namespace_init}", "--pid", "--",
                   "/usr/bin/setpriv", f"--reuid={UNPRIVILEGED}", f"--regid={UNPRIVILEGED}",
                   "--clear-groups", "/usr/bin/env", "-i",
                   *(f"{key}={value}" for key, value in environment.items()),
                   "/usr/bin/unshare", "--user", "--map-root-user", "--mount", "/bin/sh",
                   self.file("timedated_namespace.sh"), self.folder, timedated,
                   self.file("libquarnel_clockshim.so")]
        with open(os.path.join(services, "org.freedesktop.timedate1.service"), "w",
                  encoding="utf-8") as file:
            file.write("[D-BUS Service]\nName=org.freedesktop.timedate1\n"
                       f"Exec={' '.join(command)}\nUser=root\n")

    def _start_polkitd(self, rule):
        polkit = self.file("polkit")
        for package, name in (("systemd", "org.freedesktop.timedate1.policy"),
                              ("systemd", "org.freedesktop.systemd1.policy"),
                              ("polkitd", "org.freedesktop.policykit.policy")):
            shutil.copy(os.path.join(self.packages[package], "usr/share/polkit-1/actions", name),
                        os.path.join(polkit, "actions", name))
        self._write_rule(polkit_actions(rule))
        polkitd = os.path.join(self.packages["polkitd"], "usr/lib/polkit-1/polkitd")
        self._spawn(["unshare", "--mount", "--propagation", "private", "--pid", "--fork",
                     "--kill-child", "/bin/sh", self.file("polkitd_namespace.sh"), self.folder,
                     polkitd], "polkitd.log",
                    # unshare holds SIGTERM back for its child; once unshare is
                    # killed, the kernel ends the namespace and polkitd in it.
                    stop_signal=signal.SIGKILL,
                    env={"PATH": "/usr/sbin:/usr/bin:/sbin:/bin",
                         "DBUS_SYSTEM_BUS_ADDRESS": self.address})
        if not wait_until(lambda: RULES_LOADED in self.polkitd_log(), 10):
            raise RuntimeError("polkitd did not start:\n" + self.polkitd_log())

    def _write_rule(self, actions):
        user = pwd.getpwuid(UNPRIVILEGED).pw_name
        staged = self.file("polkit/test.rules")
        with open(staged, "w", encoding="utf-8") as file:
            file.write(RULE.format(actions=json.dumps(actions), user=user))
        os.chmod(staged, 0o644)
        # Renamed into place, so polkitd never reads half a rule.
        os.replace(staged, self.file("polkit/rules.d/50-quarnel-test.rules"))

    def _start_standin(self):
        self._spawn([SYSTEM_PYTHON, "-B", STANDIN, self.address, self.record,
                     self.file("units.json")], "systemd-standin.log", ready="the systemd stand-in")

    # --- ending ---

    def stop(self):
        """Ends the stand-in, polkitd, the bus and every timedated the bus
        started; may be called more than once."""
        for process, stop_signal in reversed(self.processes):
            if stop_signal == signal.SIGKILL and process.poll() is None:
                process.kill()
            end_process(process)
            if process.stdout:
                process.stdout.close()
            _forget(_live_processes, process)
        self.processes = []
        # Killing the namespace's first process made the kernel kill the rest.
        if self.timedated_namespace and not wait_until(lambda: not self.timedated_processes(), 5):
            raise RuntimeError("a timedated outlived its PID namespace")

    def timedated_processes(self):
        """The processes in timedated's PID namespace but its first: the
        timedated the bus started, and its starters while they run."""
        found = []
        for entry in os.listdir("/proc"):
            if not entry.isdigit() or int(entry) == self.namespace_init:
                continue
            try:
                if os.readlink(f"/proc/{entry}/ns/pid") == self.timedated_namespace:
                    found.append(int(entry))
            except OSError:
                pass  # ended meanwhile
        return found
