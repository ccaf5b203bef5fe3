#!/usr/bin/env python3
"""Shows that a build of marvik-cli gives the same outputs as another, byte for byte: `list` and `export --all` in
every format, numbered, replacing and new-only, into fresh folders and into folders where some names are taken by
folders (the failures' messages and their order). Every run's standard output, standard error, exit status and the
files it leaves are kept.

usage: same_outputs.py save    MARVIK_CLI DATABASE... OUTPUTS   keeps the outputs in OUTPUTS (made anew)
       same_outputs.py compare MARVIK_CLI DATABASE... OUTPUTS   runs again and names every difference

Run both on the same day: the Markdown front matter names the day of the export."""
import filecmp
import json
import os
import shutil
import subprocess
import sys
import tempfile

FORMATS = ["text", "markdown", "json", "csv"]


def run(cli, work, name, arguments, record):
    done = subprocess.run([cli] + arguments, cwd=work, capture_output=True, env=dict(os.environ, LC_ALL="C.UTF-8"))
    record[name] = {"arguments": arguments, "status": done.returncode}
    with open(os.path.join(work, name + ".out"), "wb") as out:
        out.write(done.stdout)
    with open(os.path.join(work, name + ".err"), "wb") as err:
        err.write(done.stderr)
    return done.stdout.decode("utf-8", "surrogateescape").splitlines()


def block_some_names(folder, written):
    """Empties folder and puts a folder where every 97th written file was, and where the file replacing it would go
    (its name without the number), so that those books fail."""
    for entry in os.listdir(folder):
        path = os.path.join(folder, entry)
        if os.path.isdir(path):
            shutil.rmtree(path)
        else:
            os.remove(path)
    for path in written[::97]:
        for name in (path, path.replace("_0000.", ".")):
            os.makedirs(os.path.join(os.path.dirname(folder), name, "inside"), exist_ok=True)


def outputs(cli, database, work):
    db = os.path.abspath(database)
    record = {}
    run(cli, work, "list", ["list", "--db", db], record)
    run(cli, work, "list-as-before", ["list", "--db", db, "--include-deleted", "--file-titles"], record)
    for form in FORMATS:
        base = ["export", "--db", db, "--all", "--format", form]
        # Numbered: the second run finds every first name taken.
        for turn in ("1", "2"):
            run(cli, work, f"{form}-numbered-{turn}", base + ["--results", f"{form}-numbered"], record)
        for turn in ("1", "2"):
            run(cli, work, f"{form}-override-{turn}", base + ["--override", "--results", f"{form}-override"], record)
        for turn in ("1", "2"):
            run(cli, work, f"{form}-new-{turn}", base + ["--new-only", "--results", f"{form}-new"], record)
        written = run(cli, work, f"{form}-blocked-0", base + ["--results", f"{form}-blocked"], record)
        block_some_names(os.path.join(work, f"{form}-blocked"), written)
        run(cli, work, f"{form}-blocked-1", base + ["--override", "--results", f"{form}-blocked"], record)
        run(cli, work, f"{form}-blocked-2", base + ["--results", f"{form}-blocked"], record)
    run(cli, work, "text-as-before", ["export", "--db", db, "--all", "--include-deleted", "--file-titles",
                                      "--no-bom", "--separator", " | ", "--results", "text-as-before"], record)
    with open(os.path.join(work, "statuses.json"), "w", encoding="utf-8") as out:
        json.dump(record, out, indent=1, sort_keys=True)


def differences(left, right, where=""):
    found = []
    compared = filecmp.dircmp(left, right)
    for name in compared.left_only + compared.right_only + compared.funny_files:
        found.append(os.path.join(where, name) + ": in one only")
    for name in compared.common_files:
        if not filecmp.cmp(os.path.join(left, name), os.path.join(right, name), shallow=False):
            found.append(os.path.join(where, name) + ": differs")
    for name in compared.common_dirs:
        found += differences(os.path.join(left, name), os.path.join(right, name), os.path.join(where, name))
    return found


def main(mode, cli, databases, kept):
    cli = os.path.abspath(cli)
    if mode == "save":
        shutil.rmtree(kept, ignore_errors=True)
        os.makedirs(kept)
        for database in databases:
            work = os.path.join(kept, os.path.basename(database))
            os.makedirs(work)
            outputs(cli, database, work)
        print("kept in", kept)
        return 0
    found = []
    with tempfile.TemporaryDirectory() as fresh:
        for database in databases:
            name = os.path.basename(database)
            work = os.path.join(fresh, name)
            os.makedirs(work)
            outputs(cli, database, work)
            found += differences(os.path.join(kept, name), work, name)
    for line in found:
        print(line)
    print("the same, byte for byte" if not found else f"{len(found)} differences")
    return 1 if found else 0


if __name__ == "__main__":
    if len(sys.argv) < 5 or sys.argv[1] not in ("save", "compare"):
        sys.exit(__doc__)
    sys.exit(main(sys.argv[1], sys.argv[2], sys.argv[3:-1], sys.argv[-1]))
