#!/usr/bin/env python3
"""Kill and concurrency tests of the real Jotterbase programs.

kill_test.sh and concurrency_test.sh start this file. It keeps a ledger of every page a program
reported stored (by ID, with its text), runs jotterbase-cli commands and the main window (through
window_update_driver) on a data set of a few thousand pages, kills them at random instants or runs
them side by side, and then compares the data set with the ledger:

  - every page reported stored is a live page exactly once, with its text;
  - no two live pages of a data set share an ID;
  - the live page count moves only by the pages added and zapped (a zapped page is then in the
    deleted pages, "%NAME.jb", with its text);
  - jotterbase-cli check finds nothing but what a killed command may leave: an interrupted pack
    (finished by the next command before the check), work files, index entries of zapped pages,
    and index gaps of pages whose add or Update was killed before its words were saved;
  - every page added by the test is found by a search for its marker word.

Index gaps ("pages unfindable") are reported on their own and fail the test only when
JB_KILL_STRICT_INDEX=1. Anything else fails it; the data set and the commands that led there are
then kept under /tmp/kill-findings/.
"""

import argparse
import json
import os
import random
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import threading
import time

WORDS = ("alpha bravo charlie delta echo foxtrot golf hotel india juliet kilo lima mike november "
         "oscar papa quebec romeo sierra tango uniform victor whiskey xray yankee zulu").split()
FINDINGS_ROOT = "/tmp/kill-findings"
MARK_PREFIX = "KILLMARK"  # every page the test adds carries one word KILLMARK<A|W><number>


def norm(text):
    return " ".join(text.split())


def text_difference(found, expected):
    """The two texts from a little before where they part."""
    at = next((i for i, (a, b) in enumerate(zip(found, expected)) if a != b), min(len(found), len(expected)))
    at = max(0, at - 20)
    return "%r instead of %r (from character %d)" % (found[at:at + 70], expected[at:at + 70], at)


class Failure(Exception):
    pass


class Cli:
    def __init__(self, path, data_set):
        self.path = path
        self.data_set = data_set

    def argv(self, *args, data=None):
        return [self.path, *args, "--data", data or self.data_set]

    def run(self, *args, data=None, stdin=None, timeout=60):
        p = subprocess.run(self.argv(*args, data=data), input=stdin, capture_output=True, text=True,
                           timeout=timeout)
        return p.returncode, p.stdout, p.stderr

    def must(self, *args, data=None, stdin=None):
        rc, out, err = self.run(*args, data=data, stdin=stdin)
        if rc != 0:
            raise Failure("jotterbase-cli %s failed (%d): %s" % (" ".join(args), rc, err.strip()))
        return out


def make_base(cli, folder, pages, seed):
    """A data set of `pages` pages, each with one KILLBASE<n> word, made by one DOS import."""
    rnd = random.Random(seed)
    source = os.path.join(folder, "base.txt")
    with open(source, "w") as f:
        for i in range(pages):
            f.write("base page KILLBASE%06d %s\n" % (i, " ".join(rnd.choice(WORDS) for _ in range(25))))
            f.write(" ".join(rnd.choice(WORDS) for _ in range(15)) + "\n~\n")
    cli.must("import", source, "--dos", "--type", "txt")
    os.remove(source)
    cli.must("reindex")


class Observed:
    """One look at a data set: its live pages (number -> ID), deleted records, texts by ID."""

    def __init__(self, cli, data_set, texts=True):
        self.data_set = data_set
        self.live = {}       # number -> ID
        self.deleted = []    # numbers of deleted records
        self.damaged = []    # numbers listed as damaged
        self.texts = {}      # ID -> normalised text (of the first page with that ID)
        self.duplicate_ids = []
        self.count = 0
        if not os.path.exists(data_set) and not os.path.exists(data_set[:-3] + ".hd"):
            return
        rc, out, err = cli.run("list", data=data_set)
        for line in out.splitlines():
            cols = line.split("\t")
            if len(cols) < 6:
                continue
            n, page_id, state = int(cols[0]), cols[1], cols[5]
            if state == "deleted":
                self.deleted.append(n)
            elif state == "damaged":
                self.damaged.append(n)
            else:
                self.live[n] = page_id
        if rc != 0 and not self.damaged:
            raise Failure("jotterbase-cli list %s failed (%d): %s" % (data_set, rc, err.strip()))
        seen = set()
        for n in sorted(self.live):
            if self.live[n] in seen:
                self.duplicate_ids.append((n, self.live[n]))
            seen.add(self.live[n])
        self.count = len(self.live)
        if not texts:
            return
        # The texts, one export per run of live page numbers (a deleted record ends a run).
        numbers = sorted(self.live)
        runs, start = [], None
        for i, n in enumerate(numbers):
            if start is None:
                start = n
            if i + 1 == len(numbers) or numbers[i + 1] != n + 1:
                runs.append((start, n))
                start = None
        with tempfile.TemporaryDirectory() as tmp:
            for a, b in runs:
                target = os.path.join(tmp, "pages.txt")
                cli.must("export", "--range", "%d-%d" % (a, b), "--format", "txt", "-o", target, data=data_set)
                with open(target, encoding="utf-8", errors="replace") as f:
                    exported = f.read()
                parts = re.split(r"^---Record Number (\d+) begins---$", exported, flags=re.M)
                for i in range(1, len(parts), 2):
                    n = int(parts[i])
                    page_id = self.live.get(n)
                    if page_id is not None and page_id not in self.texts:
                        self.texts[page_id] = norm(parts[i + 1])

    def ids(self):
        return set(self.live.values())

    def number_of(self, page_id):
        for n, i in self.live.items():
            if i == page_id:
                return n
        return None


def index_words(data_set):
    """ID -> the words the index file gives it (one "word=ID" line an entry)."""
    words = {}
    path = data_set[:-3] + ".idx"
    if os.path.exists(path):
        with open(path, "rb") as f:
            for line in f:
                eq = line.rfind(b"=")
                if eq >= 0:
                    page_id = line[eq + 1:].strip().decode("latin-1")
                    words.setdefault(page_id, set()).add(line[:eq].decode("latin-1"))
    return words


def check_findings(cli, data_set):
    rc, out, err = cli.run("check", "--json", data=data_set)
    findings = []
    for line in out.splitlines():
        line = line.strip()
        if line.startswith("{"):
            findings.append(json.loads(line))
    if rc not in (0, 1) or (rc == 1 and not findings):
        raise Failure("jotterbase-cli check %s ended with %d: %s" % (data_set, rc, err.strip()))
    return findings


def marker_search(cli):
    """IDs of the pages a search for the test's marker words finds."""
    rc, out, err = cli.run("search", MARK_PREFIX.lower() + "*")
    found = set()
    for line in out.splitlines():
        cols = line.split("\t")
        if len(cols) >= 2 and cols[0].isdigit():
            found.add(cols[1])
    return found


class Ledger:
    """What the programs reported stored, and what may be missing from the index."""

    def __init__(self):
        self.main = {}      # ID -> expected normalised text, pages that must be live in the data set
        self.deleted = {}   # ID -> text, pages that must be live in the deleted pages
        self.marked = set()  # IDs of pages the test added (they carry a marker word)
        self.may_lack_index = set()  # IDs of pages whose add or Update was killed
        self.zapped_ids = set()  # every ID ever zapped: its index entries may stay behind
        # Marker words of pages whose add or Update was killed: their index entries may be in the
        # index file without the page, when the kill came between the two writes.
        self.killed_markers = set()
        self.unstored_ids = set()  # IDs in the index of such pages that were never stored
        self.gaps = set()    # IDs seen unfindable or with unindexed words
        self.adopted = 0     # pages a killed command stored without reporting them
        self.zap_copies = 0  # pages an interrupted zap left in both data sets
        self.work_files = 0  # checks that found work files of a killed command
        self.work_file_kinds = {}  # extension -> times found
        self.stale_entries = 0  # checks that found index entries of zapped pages
        self.pages_checked = 0


def split_moves(ledger):
    """IDs of the pages a stopped zap left in both data sets."""
    return set(ledger.main) & set(ledger.deleted)


class Verifier:
    def __init__(self, cli, ledger):
        self.cli = cli
        self.ledger = ledger
        self.deleted_set = os.path.join(os.path.dirname(cli.data_set), "%" + os.path.basename(cli.data_set))

    def verify(self, pending=None, final=False):
        """Compares the data sets with the ledger. `pending` describes the command just run:
        candidates (text -> marker) it may have stored without reporting them, and a zap whose
        outcome is open. Returns the problems found (empty: all is well)."""
        pending = pending or {}
        led = self.ledger
        problems = []
        # The next command finishes an interrupted pack, as the programs do before any command.
        self.cli.run("info")
        main = Observed(self.cli, self.cli.data_set)
        # Only a zap writes the deleted pages: their texts are read after one, and at the end.
        zap_id = pending.get("zap")
        dele = Observed(self.cli, self.deleted_set, texts=final or pending.get("deleted_changed", False))
        for obs, name in ((main, "data set"), (dele, "deleted pages")):
            for n, page_id in obs.duplicate_ids:
                problems.append("%s: page %d repeats ID %s" % (name, n, page_id))
            for n in obs.damaged:
                problems.append("%s: page %d is damaged" % (name, n))

        # An interrupted zap: the page is in one data set or both, never in neither.
        if zap_id:
            in_main, in_del = zap_id in main.ids(), zap_id in dele.ids()
            text = pending.get("zap_text", led.main.get(zap_id))
            # A zap that finishes a stopped one writes the text of the data set's copy over the
            # deleted pages' copy; killed, it may not have got that far.
            if zap_id in led.deleted and dele.texts.get(zap_id) == led.deleted[zap_id]:
                text = led.deleted[zap_id]
            if in_del:
                led.deleted[zap_id] = text
                led.zapped_ids.add(zap_id)
                if in_main:
                    led.zap_copies += 1
                else:
                    del led.main[zap_id]
            # neither: reported below as lost

        # Pages a killed add or Update may have stored without saying so.
        candidates = pending.get("candidates", {})
        for page_id in sorted(main.ids() - set(led.main)):
            text = main.texts.get(page_id)
            if page_id in led.deleted:
                problems.append("page %s, zapped, is back in the data set" % page_id)
            elif text in candidates:
                led.main[page_id] = text
                led.marked.add(page_id)
                led.may_lack_index.add(page_id)
                led.adopted += 1
                del candidates[text]
            else:
                problems.append("page %d (ID %s) was never reported stored: %r" %
                                (main.number_of(page_id), page_id, (text or "")[:80]))

        for page_id, text in led.main.items():
            if page_id not in main.ids():
                problems.append("LOST: page ID %s (%r) is not in the data set" % (page_id, (text or "")[:60]))
            elif main.texts.get(page_id) != text:
                problems.append("page %d (ID %s) has the text %s" %
                                (main.number_of(page_id), page_id, text_difference(main.texts.get(page_id, ""), text)))
        for page_id, text in led.deleted.items():
            if page_id not in dele.ids():
                problems.append("LOST: zapped page ID %s is not in the deleted pages" % page_id)
            elif dele.texts and dele.texts.get(page_id) != text:
                problems.append("zapped page ID %s has the text %s" %
                                (page_id, text_difference(dele.texts.get(page_id, ""), text)))
        if main.count != len(led.main):
            problems.append("the data set holds %d live pages, the ledger %d" % (main.count, len(led.main)))
        led.pages_checked += main.count + dele.count

        # check: what a killed command may leave is sorted out; the rest is damage.
        for f in check_findings(self.cli, self.cli.data_set):
            kind, page = f["kind"], f["page"]
            if kind == "unindexed-words" and page is not None and page in main.live:
                page_id = main.live[page]
                if page_id in led.may_lack_index:
                    led.gaps.add(page_id)
                    continue
                problems.append("check: page %d (ID %s), whose commands all ended, has unindexed words: %s" %
                                (page, page_id, f["detail"]))
            elif kind == "unknown-ids":
                words = index_words(self.cli.data_set)
                strangers = set(words) - main.ids() - led.zapped_ids
                unstored = {i for i in strangers if words[i] & led.killed_markers}
                led.unstored_ids |= unstored
                if strangers - unstored:
                    problems.append("check: the index names pages that never were: %s" %
                                    sorted(strangers - unstored)[:5])
                else:
                    led.stale_entries += 1
            elif kind == "in-counterpart" and page in main.live and main.live[page] in split_moves(led):
                continue  # a zap stopped after its copy; the next zap of the page finishes it
            elif kind == "work-file" and not final:
                led.work_files += 1
                ext = os.path.splitext(f["detail"].split(" ")[0])[1]
                led.work_file_kinds[ext] = led.work_file_kinds.get(ext, 0) + 1
            else:
                problems.append("check: %s %s %s" % (kind, "-" if page is None else page, f["detail"]))
        # The deleted pages have no index of their own; only their bodies are checked there.
        for f in check_findings(self.cli, self.deleted_set) if dele.count else []:
            if f["kind"] in ("unindexed-words", "unknown-ids") or (f["kind"] == "work-file" and not final):
                continue
            if f["kind"] == "in-counterpart" and dele.live.get(f["page"]) in split_moves(led):
                continue
            problems.append("check of the deleted pages: %s %s %s" % (f["kind"], f["page"], f["detail"]))

        # Every page the test added is found by its marker word.
        found = marker_search(self.cli)
        for page_id in led.marked & set(led.main):
            if page_id in found:
                continue
            if page_id in led.may_lack_index:
                led.gaps.add(page_id)
            else:
                problems.append("page ID %s (%r) is not found by its marker word" %
                                (page_id, led.main[page_id][:60]))
        return problems


class Findings:
    """Keeps a failing data set and the commands that led to it under /tmp/kill-findings/."""

    def __init__(self, folder, seed, mode):
        self.folder = folder
        self.seed = seed
        self.mode = mode
        self.commands = []

    def note(self, line):
        self.commands.append(line)

    def save(self, problems, argv):
        os.makedirs(FINDINGS_ROOT, exist_ok=True)
        target = tempfile.mkdtemp(prefix="%s-%s-" % (self.mode, time.strftime("%Y%m%d-%H%M%S")), dir=FINDINGS_ROOT)
        shutil.copytree(self.folder, os.path.join(target, "dataset"))
        with open(os.path.join(target, "commands.txt"), "w") as f:
            f.write("# %s, seed %d\n# reproduce: %s --seed %d\n" %
                    (self.mode, self.seed, " ".join(argv), self.seed))
            f.write("\n".join(self.commands) + "\n")
        with open(os.path.join(target, "problems.txt"), "w") as f:
            f.write("\n".join(problems) + "\n")
        return target


def start(argv, env=None, with_stdin=False):
    return subprocess.Popen(argv, stdin=subprocess.PIPE if with_stdin else subprocess.DEVNULL,
                            stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)


def parse_window_output(out):
    stored = []
    for line in out.splitlines():
        cols = line.split()
        if len(cols) == 4 and cols[0] == "stored":
            stored.append((int(cols[1]), cols[2], cols[3]))
    return stored


def window_text(marker):
    return norm("window page %s written by Update" % marker)


def add_text(marker, rnd):
    return "cli page %s %s\nwritten by add\n" % (marker, " ".join(rnd.choice(WORDS) for _ in range(8)))


# ---------------------------------------------------------------------------------------------
# The kill test


def kill_test(opts):
    if opts.points:
        return kill_points(opts)
    seed = opts.seed if opts.seed is not None else random.randrange(1 << 30)
    rnd = random.Random(seed)
    folder = tempfile.mkdtemp(prefix="jb-kill-")
    data_set = os.path.join(folder, "data.jb")
    cli = Cli(opts.cli, data_set)
    ledger = Ledger()
    log = Findings(folder, seed, "kill")
    verifier = Verifier(cli, ledger)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    print("kill test: seed %d, %d base pages, in %s" % (seed, opts.pages, folder), flush=True)

    make_base(cli, folder, opts.pages, seed)
    base = Observed(cli, data_set)
    for page_id, text in base.texts.items():
        ledger.main[page_id] = text
    if len(ledger.main) != opts.pages:
        raise Failure("the base data set has %d pages, not %d" % (len(ledger.main), opts.pages))
    log.note("base: %d pages imported and reindexed (seed %d)" % (opts.pages, seed))

    commands = ["add", "add", "zap", "pack", "purge", "reindex"]
    if opts.window_driver:
        commands += ["window", "window", "window-edit", "window-zap"]
    typical = {}  # command -> seconds of its last run that ended by itself
    killed_runs = {"add": 0, "window": 0}  # killed runs of the commands that index pages
    gap_runs = {"add": 0, "window": 0}     # ... of which left pages unfindable
    gap_pages = {"add": 0, "window": 0}
    counters = {"A": 0, "W": 0}
    window_rounds = {"window-edit": 0, "window-zap": 0}  # the window beside a killed pack or zap
    rounds = kills = 0
    deadline = time.time() + opts.soak * 60 if opts.soak else None
    problems = []
    while (rounds < opts.rounds) if deadline is None else (time.time() < deadline):
        rounds += 1
        kind = rnd.choice(commands)
        if kind in ("window-edit", "window-zap"):
            window_rounds[kind] += 1
            try:
                pending, killed = window_beside_killed(opts, cli, rnd, folder, ledger, typical, log, rounds, kind,
                                                       env, problems)
                kills += killed
                problems += verifier.verify(pending)
            except Failure as e:
                problems.append("round %d: %s" % (rounds, e))
            if problems:
                break
            continue
        pending = {"candidates": {}}
        stdin_text = None
        if kind == "add":
            counters["A"] += 1
            marker = "%sA%06d" % (MARK_PREFIX, counters["A"])
            stdin_text = add_text(marker, rnd)
            argv = cli.argv("add")
            pending["candidates"][norm(stdin_text)] = marker
        elif kind == "zap":
            # A page an interrupted zap left in both data sets is zapped again: that zap finishes
            # the move instead of copying the page a second time.
            rc, out, err = cli.run("list")
            numbers = [(int(c[0]), c[1]) for c in (l.split("\t") for l in out.splitlines())
                       if len(c) >= 6 and c[5] != "deleted"]
            split = [(n, i) for n, i in numbers if i in split_moves(ledger)]
            n, page_id = rnd.choice(split or numbers)
            argv = cli.argv("zap", str(n))
            pending["zap"] = page_id
            pending["deleted_changed"] = True
        elif kind == "window":
            first = counters["W"] + 1
            counters["W"] += opts.window_pages
            argv = [opts.window_driver, "--folder", folder, "--data", os.path.basename(data_set),
                    "--pages", str(opts.window_pages), "--prefix", MARK_PREFIX + "W", "--start", str(first)]
            for k in range(first, first + opts.window_pages):
                marker = "%sW%06d" % (MARK_PREFIX, k)
                pending["candidates"][window_text(marker)] = marker
        else:
            argv = cli.argv(kind)

        # The first run of each command ends by itself and gives its typical duration.
        delay = rnd.uniform(0, typical[kind]) if kind in typical else None
        began = time.time()
        p = start(argv, env=env, with_stdin=stdin_text is not None)
        if stdin_text is not None:
            try:
                p.stdin.write(stdin_text)
                p.stdin.close()
            except BrokenPipeError:
                pass
            p.stdin = None
        killed = False
        if delay is not None:
            try:
                p.wait(timeout=delay)
            except subprocess.TimeoutExpired:
                p.send_signal(signal.SIGKILL)
                killed = True
                kills += 1
        out, err = p.communicate(timeout=120)
        rc = p.returncode
        if not killed and delay is None and rc == 0:
            typical[kind] = time.time() - began
        log.note("round %d: %s%s -> %s" % (rounds, " ".join(os.path.basename(a) if a == opts.cli else a for a in argv),
                                           "" if delay is None else " (kill after %.4f s)" % delay,
                                           "KILLED" if killed else "exit %d" % rc))
        if rc != 0 and not killed:
            problems.append("round %d: %s ended with %d: %s" % (rounds, kind, rc, err.strip()[:300]))

        # What the command reported stored joins the ledger before the look.
        if killed:
            ledger.killed_markers |= {str(m).lower() for m in pending["candidates"].values()}
        if kind == "add" and (rc == 0 or killed):
            cols = out.split()
            if len(cols) >= 2:
                text = norm(stdin_text)
                ledger.main[cols[1]] = text
                ledger.marked.add(cols[1])
                pending["candidates"].pop(text, None)
                if killed:
                    ledger.may_lack_index.add(cols[1])
            elif rc == 0:
                problems.append("round %d: add ended with 0 but printed %r" % (rounds, out))
        elif kind == "window":
            for number, marker, page_id in parse_window_output(out):
                text = window_text(marker)
                ledger.main[page_id] = text
                ledger.marked.add(page_id)
                pending["candidates"].pop(text, None)
                if killed:
                    ledger.may_lack_index.add(page_id)
        elif kind == "zap" and rc == 0:
            page_id = pending.pop("zap")
            if page_id not in out:
                problems.append("round %d: zap reported %r for page ID %s" % (rounds, out.strip(), page_id))
            ledger.deleted[page_id] = ledger.main.pop(page_id)
            ledger.zapped_ids.add(page_id)
        gaps_before = set(ledger.gaps)
        try:
            problems += verifier.verify(pending)
        except Failure as e:
            problems.append("round %d: %s" % (rounds, e))
        if killed and kind in killed_runs:
            killed_runs[kind] += 1
            new_gaps = ledger.gaps - gaps_before
            if new_gaps:
                gap_runs[kind] += 1
                gap_pages[kind] += len(new_gaps)
                log.note("  index gap: %s" % " ".join(sorted(new_gaps)))
        if problems:
            break
        if opts.verbose:
            print("round %d: %s %s, %d pages" % (rounds, kind, "killed" if killed else "ended", len(ledger.main)),
                  flush=True)

    # Index gaps are noted before the last steps repair them; then a pack, a rebuilt index and
    # check --repair (which removes the work files killed commands left) must leave no finding.
    if not problems:
        gaps_before_repair = set(ledger.gaps)
        # The pages stopped zaps left in both data sets are zapped again, which finishes them.
        for page_id in sorted(split_moves(ledger)):
            n = Observed(cli, data_set, texts=False).number_of(page_id)
            rc, out, err = cli.run("zap", str(n))
            log.note("final: zap %d (ID %s) -> exit %d %s" % (n, page_id, rc, out.strip()))
            if rc != 0 or "(ID %s)" % page_id not in out:
                problems.append("final zap of page ID %s, left in both data sets, said %r %r" %
                                (page_id, out.strip(), err.strip()))
            else:
                ledger.deleted[page_id] = ledger.main.pop(page_id)
        log.note("final: pack, reindex, check --repair, check")
        for step in (("pack",), ("reindex",), ("check", "--repair")):
            rc, out, err = cli.run(*step)
            if step[0] == "check":
                log.note("check --repair: " + " | ".join(out.splitlines()))
                if os.path.exists(verifier.deleted_set):
                    rc, out, err = cli.run(*step, data=verifier.deleted_set)
                    log.note("check --repair of the deleted pages: " + " | ".join(out.splitlines()))
                continue
            if rc != 0:
                problems.append("final %s ended with %d: %s" % (" ".join(step), rc, err.strip()))
        ledger.may_lack_index.clear()
        problems += verifier.verify(final=True)
        ledger.gaps = gaps_before_repair

    print("rounds run: %d" % rounds)
    print("kills delivered: %d" % kills)
    print("pages checked: %d" % ledger.pages_checked)
    print("pages in the ledger at the end: %d live, %d zapped" % (len(ledger.main), len(ledger.deleted)))
    print("pages stored unreported by a killed command (adopted): %d" % ledger.adopted)
    print("zaps interrupted with the page in both data sets: %d" % ledger.zap_copies)
    print("rounds of the window beside a killed pack or zap: %d updating the page, %d zapping it" %
          (window_rounds["window-edit"], window_rounds["window-zap"]))
    print("checks that found work files of a killed command: %d %s" %
          (ledger.work_files, " ".join("%s:%d" % kv for kv in sorted(ledger.work_file_kinds.items()))))
    print("checks that found index entries of zapped pages or of pages not stored: %d" % ledger.stale_entries)
    print("pages a killed command indexed but did not store: %d" % len(ledger.unstored_ids))
    print("pages unfindable: %d" % len(ledger.gaps))
    for kind in killed_runs:
        print("  killed %s runs: %d, of which left pages unfindable: %d (%d pages)" %
              (kind, killed_runs[kind], gap_runs[kind], gap_pages[kind]))
    lost = sum(1 for p in problems if p.startswith("LOST"))
    print("pages lost: %d" % lost)
    return finish_run(opts, problems, ledger, log, folder)


# ---------------------------------------------------------------------------------------------
# Kills at each point: a command stopped before each of its file changes in turn, through the
# preloaded kill library (kill_at_call.cc)


def run_killed_at(opts, argv, at, calls, stdin=None):
    """Runs argv, stopped (SIGKILL) just before its `at`-th counted call. Returns whether it was
    killed, and its exit code and output."""
    env = dict(os.environ, LD_PRELOAD=opts.kill_lib, JB_KILL_AT=str(at), JB_KILL_CALLS=calls)
    p = subprocess.run(argv, input=stdin, capture_output=True, text=True, env=env, timeout=120)
    return p.returncode == -signal.SIGKILL, p.returncode, p.stdout, p.stderr


def make_points_base(cli, folder, seed):
    """A small data set with every file a rename moves: deleted pages, indexes, recent searches.
    Returns the ledger of its pages."""
    make_base(cli, folder, 40, seed)
    ledger = Ledger()
    for page_id, text in Observed(cli, cli.data_set).texts.items():
        ledger.main[page_id] = text
    for n in (3, 10, 20):
        page_id = re.search(r"\(ID ([0-9A-F]+)\)", cli.must("zap", str(n))).group(1)
        ledger.deleted[page_id] = ledger.main.pop(page_id)
        ledger.zapped_ids.add(page_id)
    for name in ("data.rsc", "%data.rsc", "%data.idx"):
        with open(os.path.join(folder, name), "w") as f:
            f.write("" if name.endswith(".idx") else "alpha\r\n")
    return ledger


def copy_of(template):
    folder = tempfile.mkdtemp(prefix="jb-points-")
    shutil.rmtree(folder)
    shutil.copytree(template, folder)
    return folder


def copy_ledger(ledger):
    copy = Ledger()
    copy.main, copy.deleted, copy.zapped_ids = dict(ledger.main), dict(ledger.deleted), set(ledger.zapped_ids)
    return copy


def rename_at_each_point(opts, template, ledger, problems):
    """rename killed before each of its renames: check calls the data set split under either name,
    and the next command, under the old name or the new one, makes it whole under its old name."""
    at = 0
    while not problems:
        at += 1
        for next_name in ("old", "new"):
            folder = copy_of(template)
            old, new = os.path.join(folder, "data.jb"), os.path.join(folder, "renamed.jb")
            cli = Cli(opts.cli, old)
            killed, rc, out, err = run_killed_at(opts, cli.argv("rename", new), at, "rename")
            if not killed:
                if rc != 0 or out.strip() != new:
                    problems.append("rename ended with %d: %s %s" % (rc, out.strip(), err.strip()))
                problems += ["the finished rename: " + p
                             for p in Verifier(Cli(opts.cli, new), copy_ledger(ledger)).verify(final=True)]
                shutil.rmtree(folder, ignore_errors=True)
                print("rename: killed before each of its %d renames (its record's two among them), and run to "
                      "its end" % (at - 1))
                return
            where = "rename killed before its rename %d" % at
            # Once a file has moved, the data set is split: check must say so under either name.
            moved = [f for f in os.listdir(folder) if "renamed." in f and not f.endswith((".rnm", ".rn1"))]
            for name, path in (("old", old), ("new", new)) if moved else ():
                rc, cout, cerr = cli.run("check", data=path)
                if rc != 1 or "interrupted-rename" not in cout:
                    problems.append("%s: check of the %s name ended with %d: %s" %
                                    (where, name, rc, (cout + cerr).strip()[:300]))
            cli.run("info", data=old if next_name == "old" else new)
            problems += ["%s, then a command on the %s name: %s" % (where, next_name, p)
                         for p in Verifier(cli, copy_ledger(ledger)).verify(final=True)]
            left = sorted(f for f in os.listdir(folder) if "renamed." in f or f.endswith((".rnm", ".rn1")))
            if left:
                problems.append("%s, then commands on the %s name and the old: files left: %s" %
                                (where, next_name, left))
            shutil.rmtree(folder, ignore_errors=True)


def files_holding(folder, needle):
    holders = []
    for root, _, names in os.walk(folder):
        for name in names:
            with open(os.path.join(root, name), "rb") as f:
                if needle in f.read():
                    holders.append(name)
    return holders


def protected_add_at_each_point(opts, template, ledger, problems):
    """add --password killed before each of its file changes: no file holds the page's text in
    clear, and the pages stored before are untouched."""
    clear = b"walrus carpenter oysters"
    text = "the %s came along\n" % clear.decode()
    at = 0
    while not problems:
        at += 1
        folder = copy_of(template)
        cli = Cli(opts.cli, os.path.join(folder, "data.jb"))
        killed, rc, out, err = run_killed_at(opts, cli.argv("add", "--password", "Sesame9"), at, "all", stdin=text)
        where = "add --password %s" % ("killed before its file change %d" % at if killed else "run to its end")
        if not killed and rc != 0:
            problems.append("%s ended with %d: %s" % (where, rc, err.strip()))
        holders = files_holding(folder, clear)
        if holders:
            problems.append("%s: the page is in clear in %s" % (where, ", ".join(holders)))
        now = Observed(cli, cli.data_set)
        for page_id, page_text in ledger.main.items():
            if now.texts.get(page_id) != page_text:
                problems.append("%s: page ID %s lost or changed" % (where, page_id))
        if not now.count - len(ledger.main) in (0, 1) or now.damaged:
            problems.append("%s: %d live pages, %d damaged, from %d" %
                            (where, now.count, len(now.damaged), len(ledger.main)))
        shutil.rmtree(folder, ignore_errors=True)
        if not killed:
            print("add --password: killed before each of its %d file changes, and run to its end" % (at - 1))
            return


def kill_points(opts):
    seed = opts.seed if opts.seed is not None else 1
    template = tempfile.mkdtemp(prefix="jb-points-base-")
    cli = Cli(opts.cli, os.path.join(template, "data.jb"))
    ledger = make_points_base(cli, template, seed)
    problems = []
    for case in (rename_at_each_point, protected_add_at_each_point):
        case(opts, template, ledger, problems)
    shutil.rmtree(template, ignore_errors=True)
    if problems:
        print("FAILED:", file=sys.stderr)
        for p in problems[:40]:
            print("  " + p, file=sys.stderr)
        return 1
    print("PASSED")
    return 0


def window_beside_killed(opts, cli, rnd, folder, ledger, typical, log, rounds, kind, env, problems):
    """A kill round with the window open: the window shows a page while a CLI pack or zap is
    killed at a random instant (or ends), then updates the page (window-edit) or zaps it
    (window-zap). Returns what the verification must know, and whether the command was killed."""
    data_set = cli.data_set
    rc, out, err = cli.run("list")
    live = [(int(c[0]), c[1]) for c in (l.split("\t") for l in out.splitlines())
            if len(c) >= 6 and c[5] != "deleted" and c[1] not in split_moves(ledger)]
    shown, shown_id = rnd.choice(live[1:])
    old_text = ledger.main[shown_id]
    p = subprocess.Popen([opts.window_driver, "--folder", folder, "--data", os.path.basename(data_set),
                          "--edit", str(shown), "--prefix", MARK_PREFIX + "E", "--start", str(rounds)],
                         stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True, env=env)
    first = p.stdout.readline().split()
    if len(first) != 3 or first[0] != "showing" or first[2] != shown_id:
        p.kill()
        p.communicate()
        raise Failure("the window driver did not show page %d (ID %s): %r" % (shown, shown_id, first))
    if kind == "window-zap":
        command = ("zap", shown)
    else:
        command = rnd.choice([("pack",), ("zap", rnd.randrange(shown)), ("zap", shown)])
    pending = {"candidates": {}}
    zap_id = None
    if command[0] == "zap":
        zap_id = dict(live)[command[1]] if command[1] in dict(live) else None
        if zap_id is None:
            p.kill()
            p.communicate()
            return pending, False  # the page before it is one a stopped zap left in both
        pending.update(zap=zap_id, zap_text=ledger.main[zap_id], deleted_changed=True)
    key = command[0]
    delay = rnd.uniform(0, typical[key]) if key in typical else None
    began = time.time()
    c = start(cli.argv(*[str(a) for a in command]), env=env)
    killed = False
    if delay is not None:
        try:
            c.wait(timeout=delay)
        except subprocess.TimeoutExpired:
            c.send_signal(signal.SIGKILL)
            killed = True
    cout, cerr = c.communicate(timeout=120)
    if not killed and delay is None and c.returncode == 0:
        typical[key] = time.time() - began
    if c.returncode != 0 and not killed:
        problems.append("round %d: %s ended with %d: %s" % (rounds, " ".join(map(str, command)), c.returncode,
                                                           cerr.strip()[:300]))
    if zap_id and c.returncode == 0:
        if "(ID %s)" % zap_id not in cout:
            problems.append("round %d: zap reported %r for page ID %s" % (rounds, cout.strip(), zap_id))
        ledger.deleted[zap_id] = ledger.main.pop(zap_id)
        ledger.zapped_ids.add(zap_id)
        del pending["zap"]
    wout, werr = p.communicate("zap\n" if kind == "window-zap" else "go\n", timeout=120)
    cols = wout.split()
    log.note("round %d: the window shows page %d (ID %s); %s%s -> %s; the window: %s %s" %
             (rounds, shown, shown_id, " ".join(map(str, command)),
              "" if delay is None else " (kill after %.4f s)" % delay, "KILLED" if killed else "exit %d" % c.returncode,
              wout.strip(), werr.strip()[-200:]))
    if cols and cols[0] == "updated" and len(cols) == 4:
        # The shown page with the marker, or, when the page had gone, a new page with its text.
        ledger.main[cols[3]] = norm(old_text + " " + cols[2])
        ledger.marked.add(cols[3])
    elif cols and cols[0] == "zapped" and len(cols) == 2:
        if cols[1] in ledger.main:
            ledger.deleted[cols[1]] = ledger.main.pop(cols[1])
        ledger.zapped_ids.add(cols[1])
        pending.pop("zap", None)
        pending.pop("zap_text", None)
        pending["deleted_changed"] = True
    elif not (cols and cols[0] == "failed"):
        problems.append("round %d: the window driver said %r %r" % (rounds, wout.strip(), werr.strip()[-300:]))
    elif kind == "window-edit":
        problems.append("round %d: the window refused the Update: %s" % (rounds, werr.strip()[-300:]))
    return pending, killed


def finish_run(opts, problems, ledger, log, folder):
    strict = os.environ.get("JB_KILL_STRICT_INDEX") == "1"
    if ledger.gaps and strict:
        problems.append("JB_KILL_STRICT_INDEX=1 and %d page(s) were unfindable: %s" %
                        (len(ledger.gaps), sorted(ledger.gaps)[:10]))
    if problems:
        kept = log.save(problems, sys.argv)
        print("FAILED:", file=sys.stderr)
        for p in problems[:40]:
            print("  " + p, file=sys.stderr)
        print("the data set and the commands are kept in %s" % kept, file=sys.stderr)
        shutil.rmtree(folder, ignore_errors=True)
        return 1
    shutil.rmtree(folder, ignore_errors=True)
    print("PASSED")
    return 0


# ---------------------------------------------------------------------------------------------
# The concurrency test


def loop_process(argv_list, env=None, stdins=None):
    """Runs the commands one after another, each when the previous ended. Returns the loop's
    (start, end) times followed by (argv, stdin text, exit code, stdout, stderr) of each."""
    results = [time.time()]
    for i, argv in enumerate(argv_list):
        text = stdins[i] if stdins else None
        p = subprocess.run(argv, input=text, capture_output=True, text=True, env=env, timeout=120)
        results.append((argv, text, p.returncode, p.stdout, p.stderr))
    results[0] = (results[0], time.time())
    return results


def concurrency_test(opts):
    seed = opts.seed if opts.seed is not None else random.randrange(1 << 30)
    rnd = random.Random(seed)
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    overall = 0
    cases = [("pack-purge", "pack beside purge, zap and add", pack_beside_purge),
             ("reindex-add", "reindex beside add loops", reindex_beside_add),
             ("zap-restore", "two zap loops beside a restore loop", zaps_beside_restore),
             ("repair-pack", "check --repair beside pack and add loops", repair_beside_pack)]
    if opts.window_driver:
        cases.append(("window-add", "window Update beside CLI add loops", window_beside_add))
        cases.append(("windows-add", "two windows' Updates beside a CLI add loop", windows_beside_add))
        cases.append(("window-edit-zap", "window Update of a shown page after a CLI zap of an earlier page",
                      window_edit_beside_zap))
        cases.append(("window-close-held", "window closed with an edited page while another program holds the data set",
                      window_close_beside_holder))
    chosen = opts.case.split(",") if opts.case else [key for key, _, _ in cases]
    for key in chosen:
        if key.startswith("window-") and not opts.window_driver:
            print("%s left out: there is no window driver" % key)
        elif key not in [k for k, _, _ in cases]:
            print("no case %s" % key, file=sys.stderr)
            return 1
    # One base data set, copied for each case.
    template = tempfile.mkdtemp(prefix="jb-conc-base-")
    make_base(Cli(opts.cli, os.path.join(template, "data.jb")), template, opts.pages, seed)
    for key, name, case in cases:
        if key not in chosen:
            continue
        folder = tempfile.mkdtemp(prefix="jb-conc-")
        shutil.rmtree(folder)
        shutil.copytree(template, folder)
        data_set = os.path.join(folder, "data.jb")
        cli = Cli(opts.cli, data_set)
        ledger = Ledger()
        log = Findings(folder, seed, "concurrency")
        print("%s: seed %d, %d base pages, in %s" % (name, seed, opts.pages, folder), flush=True)
        for page_id, text in Observed(cli, data_set).texts.items():
            ledger.main[page_id] = text
        problems = []
        results = {}

        def run_loop(key, argv_list, stdins=None):
            results[key] = loop_process(argv_list, env=env, stdins=stdins)
        run_loop.results = results
        run_loop.no_refusals = False  # a case sets it where nothing may wait long enough to refuse
        reported = set()  # IDs the zaps and restores reported moved

        threads = case(opts, cli, rnd, folder, ledger, run_loop, threading, problems)
        for t in threads:
            t.start()
        for t in threads:
            t.join()
        began = min((results[key][0][0] for key in results), default=0)
        for key in sorted(results):
            refused = 0
            span = results[key].pop(0)
            for argv, text, rc, out, err in results[key]:
                log.note("%s: %s -> exit %d %s" % (key, " ".join(argv[1:]), rc, err.strip()[:200]))
                if rc != 0:
                    refused += 1
                    if "another program" not in err or run_loop.no_refusals:
                        problems.append("%s: %s ended with %d: %s" % (key, " ".join(argv[1:]), rc, err.strip()))
                    continue
                dropped = re.search(r"(-?\d+) deleted record\(s\) dropped", out)
                if argv[1] == "pack" and (not dropped or int(dropped.group(1)) < 0):
                    problems.append("%s: pack said %r" % (key, out.strip()))
                if argv[1] == "add":
                    cols = out.split()
                    ledger.main[cols[1]] = norm(text)
                    ledger.marked.add(cols[1])
                elif argv[1] in ("zap", "restore"):
                    m = re.search(r"\(ID ([0-9A-F]+)\)", out)
                    if not m or m.group(1) in reported:
                        problems.append("%s: %s said %r, a page moved before" % (key, " ".join(argv[1:]), out.strip()))
                    elif argv[1] == "zap":
                        reported.add(m.group(1))
                        ledger.deleted[m.group(1)] = ledger.main.pop(m.group(1), None)
                        ledger.zapped_ids.add(m.group(1))
                    else:
                        reported.add(m.group(1))
                        ledger.main[m.group(1)] = ledger.deleted.pop(m.group(1), None)
                elif os.path.basename(argv[0]) == "window_update_driver":
                    for number, marker, page_id in parse_window_output(out):
                        ledger.main[page_id] = window_text(marker)
                        ledger.marked.add(page_id)
            print("  %s: %d command(s) from %.2f s to %.2f s, %d refused while another program held the data set" %
                  (key, len(results[key]), span[0] - began, span[1] - began, refused))
        verifier = Verifier(cli, ledger)
        problems += verifier.verify(final=True)
        print("  pages checked: %d, pages in the ledger: %d live, %d zapped, pages unfindable: %d" %
              (ledger.pages_checked, len(ledger.main), len(ledger.deleted), len(ledger.gaps)))
        if finish_run(opts, problems, ledger, log, folder) != 0:
            overall = 1
    shutil.rmtree(template, ignore_errors=True)
    return overall


def pack_beside_purge(opts, cli, rnd, folder, ledger, run_loop, threading, problems):
    # Some pages zapped before the loops give the packs dead bodies to drop.
    for _ in range(20):
        n = rnd.randrange(len(ledger.main))
        out = cli.must("zap", str(n))
        page_id = re.search(r"\(ID ([0-9A-F]+)\)", out).group(1)
        ledger.deleted[page_id] = ledger.main.pop(page_id)
        ledger.zapped_ids.add(page_id)
    loops = opts.loops
    adds = ["%sA%06d" % (MARK_PREFIX, k) for k in range(loops)]
    # The zap loop takes the last base pages: adds only append after them, so their numbers hold.
    first_zap = len(ledger.main) - 1
    return [
        threading.Thread(target=run_loop, args=("pack", [cli.argv("pack")] * loops)),
        threading.Thread(target=run_loop, args=("purge", [cli.argv("purge")] * loops)),
        threading.Thread(target=run_loop, args=("add", [cli.argv("add")] * loops,
                                                [add_text(m, rnd) for m in adds])),
        threading.Thread(target=run_loop, args=("zap", [cli.argv("zap", str(first_zap - 2 * k))
                                                        for k in range(loops // 4)])),
    ]


def zaps_beside_restore(opts, cli, rnd, folder, ledger, run_loop, threading, problems):
    # Two zap loops take page 0 at the same moments: each must report the page it moved. A
    # restore loop takes back pages zapped before the loops (the first deleted pages, while the
    # zaps add theirs after them). A zap and a restore hold both data sets: neither may wait for
    # the other until it gives up.
    loops = opts.loops // 2
    for _ in range(loops):
        out = cli.must("zap", str(len(ledger.main) - 1))
        page_id = re.search(r"\(ID ([0-9A-F]+)\)", out).group(1)
        ledger.deleted[page_id] = ledger.main.pop(page_id)
        ledger.zapped_ids.add(page_id)
    run_loop.no_refusals = True
    return [
        threading.Thread(target=run_loop, args=("zap%d" % j, [cli.argv("zap", "0")] * loops)) for j in range(2)
    ] + [threading.Thread(target=run_loop, args=("restore", [cli.argv("restore", "0")] * loops))]


def repair_beside_pack(opts, cli, rnd, folder, ledger, run_loop, threading, problems):
    # check --repair removes what stopped commands left, never a file of a writer at work: the
    # packs beside it must all succeed, as must the repairs.
    loops = opts.loops // 2
    adds = ["%sA%06d" % (MARK_PREFIX, k) for k in range(loops)]
    return [
        threading.Thread(target=run_loop, args=("check", [cli.argv("check", "--repair")] * loops)),
        threading.Thread(target=run_loop, args=("pack", [cli.argv("pack")] * loops)),
        threading.Thread(target=run_loop, args=("add", [cli.argv("add")] * loops, [add_text(m, rnd) for m in adds])),
    ]


def windows_beside_add(opts, cli, rnd, folder, ledger, run_loop, threading, problems):
    # Each window keeps the index it loaded and saves it when it closes: neither may drop the
    # entries the other window or the CLI saved meanwhile. The windows share the program folder,
    # where the data set is.
    loops = opts.loops
    threads = []
    for j in range(2):
        window = [opts.window_driver, "--folder", folder, "--data", "data.jb",
                  "--pages", str(loops), "--prefix", "%sW%d" % (MARK_PREFIX, j), "--start", "1"]
        threads.append(threading.Thread(target=run_loop, args=("window%d" % j, [window])))
    markers = ["%sA%06d" % (MARK_PREFIX, k) for k in range(loops)]
    threads.append(threading.Thread(target=run_loop, args=("add", [cli.argv("add")] * loops,
                                                            [add_text(m, rnd) for m in markers])))
    return threads


def reindex_beside_add(opts, cli, rnd, folder, ledger, run_loop, threading, problems):
    # A rebuilt index replaces the file: the entries of a page added meanwhile must not go.
    # Reindexing goes on for as long as the adds do.
    loops = opts.loops
    adds = []
    for j in range(2):
        markers = ["%sA%d%05d" % (MARK_PREFIX, j, k) for k in range(loops)]
        adds.append(threading.Thread(target=run_loop, args=("add%d" % j, [cli.argv("add")] * loops,
                                                             [add_text(m, rnd) for m in markers])))

    def reindex_while_adding():
        runs = []
        while not runs or any(t.is_alive() for t in adds):
            run_loop("reindex", [cli.argv("reindex")])
            runs.append(run_results["reindex"])
        # Keep every run, with the first run's start and the last one's end.
        merged = [(runs[0][0][0], runs[-1][0][1])]
        for r in runs:
            merged += r[1:]
        run_results["reindex"] = merged

    run_results = run_loop.results
    return adds + [threading.Thread(target=reindex_while_adding)]


def window_beside_add(opts, cli, rnd, folder, ledger, run_loop, threading, problems):
    loops = opts.loops
    window = [opts.window_driver, "--folder", folder, "--data", "data.jb", "--pages", str(loops),
              "--prefix", MARK_PREFIX + "W", "--start", "1"]
    threads = [threading.Thread(target=run_loop, args=("window", [window]))]
    for j in range(2):
        markers = ["%sA%d%05d" % (MARK_PREFIX, j, k) for k in range(loops)]
        threads.append(threading.Thread(target=run_loop, args=("add%d" % j, [cli.argv("add")] * loops,
                                                                [add_text(m, rnd) for m in markers])))
    return threads


# ---------------------------------------------------------------------------------------------
# The harness's own test: damage it must see


def damage_lost_page(cli, folder):
    hd = os.path.join(folder, "data.hd")
    os.truncate(hd, os.path.getsize(hd) - 48)  # the last page's record


def damage_duplicate_id(cli, folder):
    with open(os.path.join(folder, "data.hd"), "r+b") as f:
        record = f.read(48)
        f.seek(0, os.SEEK_END)
        f.write(record)  # a second page with page 0's ID and body


def damage_changed_text(cli, folder):
    with open(os.path.join(folder, "data.jb"), "r+b") as f:
        data = f.read()
        at = data.index(b"KILLBASE000007")
        f.seek(at)
        f.write(b"KILLBASE999997")


def damage_lost_index(cli, folder):
    os.remove(os.path.join(folder, "data.idx"))


def damage_cut_body(cli, folder):
    jb = os.path.join(folder, "data.jb")
    os.truncate(jb, os.path.getsize(jb) - 40)


def damage_unreported_page(cli, folder):
    cli.must("add", stdin="a page nobody reported\n")


def damage_unfindable_page(cli, folder):
    # A page reported stored whose marker word the index lacks (its entries removed).
    idx = os.path.join(folder, "data.idx")
    with open(idx, "rb") as f:
        lines = [l for l in f if not l.startswith(MARK_PREFIX.lower().encode())]
    with open(idx, "wb") as f:
        f.writelines(lines)


def damage_split_page(cli, folder):
    # The deleted pages of a copy in which page 5 was zapped: page 5 is then in both data sets.
    copy = tempfile.mkdtemp(prefix="jb-selftest-split-")
    shutil.rmtree(copy)
    shutil.copytree(folder, copy)
    Cli(cli.path, os.path.join(copy, "data.jb")).must("zap", "5")
    for name in ("%data.jb", "%data.hd"):
        shutil.copy(os.path.join(copy, name), os.path.join(folder, name))
    shutil.rmtree(copy, ignore_errors=True)


def self_test(opts):
    """Each kind of damage the tests exist to catch, made by hand in a copy of a small data set,
    must be reported; the undamaged copy must pass."""
    seed = opts.seed if opts.seed is not None else 1
    folder = tempfile.mkdtemp(prefix="jb-selftest-")
    data_set = os.path.join(folder, "data.jb")
    cli = Cli(opts.cli, data_set)
    make_base(cli, folder, 200, seed)
    out = cli.must("add", stdin=add_text(MARK_PREFIX + "A000001", random.Random(seed)))
    added_id = out.split()[1]
    cases = [
        ("no damage", None, None),
        ("a page's header record cut off", damage_lost_page, "LOST"),
        ("a second page with the same ID", damage_duplicate_id, "repeats ID"),
        ("a word of a body changed", damage_changed_text, "has the text"),
        ("the index file removed", damage_lost_index, "unindexed words"),
        ("the data file cut short", damage_cut_body, "damaged"),
        ("a page nobody reported", damage_unreported_page, "never reported stored"),
        ("an added page's index entries removed", damage_unfindable_page, "not found by its marker"),
        ("a page in the data set and its deleted pages", damage_split_page, "in-counterpart"),
    ]
    failures = 0
    for name, damage, expected in cases:
        copy = tempfile.mkdtemp(prefix="jb-selftest-case-")
        shutil.rmtree(copy)
        shutil.copytree(folder, copy)
        copy_cli = Cli(opts.cli, os.path.join(copy, "data.jb"))
        ledger = Ledger()
        for page_id, text in Observed(cli, data_set).texts.items():
            ledger.main[page_id] = text
        ledger.marked.add(added_id)
        if damage:
            damage(copy_cli, copy)
        try:
            problems = Verifier(copy_cli, ledger).verify(final=True)
        except Failure as e:
            problems = [str(e)]
        seen = (not problems) if expected is None else any(expected in p for p in problems)
        print("%-46s %s%s" % (name, "seen" if seen else "MISSED",
                              "" if seen else ": " + "; ".join(problems)[:300]))
        failures += 0 if seen else 1
        shutil.rmtree(copy, ignore_errors=True)
    shutil.rmtree(folder, ignore_errors=True)
    print("PASSED" if failures == 0 else "FAILED: %d kind(s) of damage missed" % failures)
    return 0 if failures == 0 else 1


def window_edit_beside_zap(opts, cli, rnd, folder, ledger, run_loop, threading, problems):
    """The window shows a page; meanwhile another program zaps an earlier page, which moves the
    shown page one number down; then the window's Update writes the page. Done in turn, no
    thread: the moments are the point."""
    shown = len(ledger.main) // 2
    zapped = shown // 3
    marker = "%sE%06d" % (MARK_PREFIX, 1)
    p = subprocess.Popen([opts.window_driver, "--folder", folder, "--data", "data.jb", "--edit", str(shown),
                          "--prefix", MARK_PREFIX + "E", "--start", "1"],
                         stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                         env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    first = p.stdout.readline().split()
    if len(first) != 3 or first[0] != "showing":
        p.kill()
        problems.append("the window driver did not show page %d: %r" % (shown, first))
        return []
    shown_id = first[2]
    out = cli.must("zap", str(zapped))
    zapped_id = re.search(r"\(ID ([0-9A-F]+)\)", out).group(1)
    ledger.deleted[zapped_id] = ledger.main.pop(zapped_id)
    ledger.zapped_ids.add(zapped_id)
    out, err = p.communicate("go\n", timeout=60)
    cols = out.split()
    print("  the window showed page %d (ID %s); zap %d moved ID %s; the window said: %s" %
          (shown, shown_id, zapped, zapped_id, out.strip()))
    if p.returncode == 0 and cols and cols[0] == "updated":
        ledger.main[shown_id] = norm(ledger.main[shown_id] + " " + marker)
        ledger.marked.add(shown_id)
    elif p.returncode != 0:
        # Refusing the Update is a sound answer; the page then keeps its text.
        print("  the window refused the Update: %s" % err.strip()[-300:])
    return []


def window_close_beside_holder(opts, cli, rnd, folder, ledger, run_loop, threading, problems):
    """The window's page is edited; another program holds the data set while the window closes
    and its save is refused: the window must stay open with the page, and once the other program
    is done, closing saves it. Done in turn, no thread."""
    shown = len(ledger.main) // 2
    marker = "%sC%06d" % (MARK_PREFIX, 1)
    p = subprocess.Popen([opts.window_driver, "--folder", folder, "--data", "data.jb", "--close-edit", str(shown),
                          "--prefix", MARK_PREFIX + "C", "--start", "1"],
                         stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True,
                         env=dict(os.environ, QT_QPA_PLATFORM="offscreen"))
    first = p.stdout.readline().split()
    if len(first) != 3 or first[0] != "edited":
        p.kill()
        problems.append("the window driver did not edit page %d: %r" % (shown, first))
        return []
    page_id = first[2]
    # util-linux flock holds the data set's lock file until its input ends, as a writer would.
    ready = os.path.join(folder, "held")
    holder = subprocess.Popen(["flock", "-x", cli.data_set[:-3] + ".lck", "sh", "-c", 'touch "$0"; read line', ready],
                              stdin=subprocess.PIPE, text=True)
    for _ in range(500):
        if os.path.exists(ready):
            break
        time.sleep(0.02)
    p.stdin.write("close\n")
    p.stdin.flush()
    while_held = p.stdout.readline().strip()
    holder.stdin.close()
    holder.wait(timeout=30)
    print("  closed while the data set was held, the window is %s" % (while_held or "gone"))
    if while_held != "open":
        problems.append("the window closed while its save was refused: the edit of page %d is lost" % shown)
    if p.poll() is None:
        p.stdin.write("close\n")
        p.stdin.flush()
    out, err = p.communicate(timeout=60)
    if while_held == "open" and out.strip() != "closed":
        problems.append("the window did not close once the data set was free: %r %s" % (out, err.strip()[-300:]))
    elif while_held == "open":
        ledger.main[page_id] = norm(ledger.main[page_id] + " " + marker)
        ledger.marked.add(page_id)
    return []


def main():
    ap = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    ap.add_argument("mode", choices=("kill", "concurrency", "self-test"))
    ap.add_argument("--cli", required=True, help="the jotterbase-cli program")
    ap.add_argument("--window-driver", default="", help="window_update_driver (empty: no window commands)")
    ap.add_argument("--rounds", type=int, default=25)
    ap.add_argument("--soak", type=float, default=0, help="run rounds for this many minutes instead")
    ap.add_argument("--pages", type=int, default=2000, help="pages of the base data set")
    ap.add_argument("--window-pages", type=int, default=4, help="pages each window run writes")
    ap.add_argument("--loops", type=int, default=40, help="commands of each concurrent loop")
    ap.add_argument("--seed", type=int)
    ap.add_argument("--case", default="", help="concurrency cases to run, comma-separated (default all)")
    ap.add_argument("--points", action="store_true",
                    help="kill: stop rename and add --password before each of their file changes in turn")
    ap.add_argument("--kill-lib", default="", help="kill_at_call library (for --points)")
    ap.add_argument("--verbose", action="store_true")
    opts = ap.parse_args()
    if opts.window_driver and not os.access(opts.window_driver, os.X_OK):
        print("no window driver at %s: window commands left out" % opts.window_driver, flush=True)
        opts.window_driver = ""
    try:
        return {"kill": kill_test, "concurrency": concurrency_test, "self-test": self_test}[opts.mode](opts)
    except Failure as e:
        print("FAILED: %s" % e, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
