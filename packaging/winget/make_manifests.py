#!/usr/bin/env python3
"""Writes the winget manifest set (version, installer, defaultLocale;
ManifestVersion 1.10.0) for built installers, and validates manifests
against the JSON schemas of that version.

  make_manifests.py write --version V --url-base URL --out DIR [--x64 FILE] [--x86 FILE]
  make_manifests.py validate --schemas DIR DIR_WITH_MANIFESTS
"""
import argparse
import hashlib
import json
import os
import sys

import yaml

PACKAGE_ID = "Vantorel.Vantorel"
MANIFEST_VERSION = "1.10.0"
PUBLISHER = "Vantorel"
NAME = "Vantorel"


def sha256(path):
    h = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)
    return h.hexdigest().upper()


def installer_entry(arch, path, url_base):
    return {
        "Architecture": arch,
        "InstallerUrl": url_base.rstrip("/") + "/" + os.path.basename(path),
        "InstallerSha256": sha256(path),
    }


def write(args):
    installers = []
    for arch, path in (("x64", args.x64), ("x86", args.x86)):
        if path:
            installers.append(installer_entry(arch, path, args.url_base))
    if not installers:
        sys.exit("make_manifests.py: no installer given")
    header = {"PackageIdentifier": PACKAGE_ID, "PackageVersion": args.version}
    version = dict(header, DefaultLocale="en-US", ManifestType="version", ManifestVersion=MANIFEST_VERSION)
    installer = dict(
        header,
        InstallerType="nullsoft",
        Scope="machine",
        ElevationRequirement="elevatesSelf",
        InstallModes=["interactive", "silent", "silentWithProgress"],
        InstallerSwitches={"Silent": "/S", "SilentWithProgress": "/S", "InstallLocation": "/D=<INSTALLPATH>"},
        UpgradeBehavior="install",
        ExpectedReturnCodes=[
            {"InstallerReturnCode": 3, "ReturnResponse": "downgrade"},
            {"InstallerReturnCode": 4, "ReturnResponse": "packageInUse"},
        ],
        AppsAndFeaturesEntries=[{"DisplayName": NAME, "Publisher": PUBLISHER, "DisplayVersion": args.version,
                                 "ProductCode": "Vantorel"}],
        Installers=installers,
        ManifestType="installer",
        ManifestVersion=MANIFEST_VERSION,
    )
    locale = dict(
        header,
        PackageLocale="en-US",
        Publisher=PUBLISHER,
        PackageName=NAME,
        License="Proprietary",
        ShortDescription="Cleans the registry, junk files and traces of use, and optimizes Windows settings.",
        ManifestType="defaultLocale",
        ManifestVersion=MANIFEST_VERSION,
    )
    os.makedirs(args.out, exist_ok=True)
    schema_line = "# yaml-language-server: $schema=https://aka.ms/winget-manifest.{}.1.10.0.schema.json\n"
    for doc, kind, suffix in ((version, "version", ""), (installer, "installer", ".installer"),
                              (locale, "defaultLocale", ".locale.en-US")):
        with open(os.path.join(args.out, PACKAGE_ID + suffix + ".yaml"), "w", encoding="utf-8") as f:
            f.write(schema_line.format(kind))
            yaml.safe_dump(doc, f, sort_keys=False, allow_unicode=True)


def validate(args):
    import jsonschema

    kinds = {"version": "manifest.version.1.10.0.json", "installer": "manifest.installer.1.10.0.json",
             "defaultLocale": "manifest.defaultLocale.1.10.0.json"}
    seen = set()
    bad = 0
    for name in sorted(os.listdir(args.folder)):
        if not name.endswith(".yaml"):
            continue
        with open(os.path.join(args.folder, name), encoding="utf-8") as f:
            doc = yaml.safe_load(f)
        kind = doc.get("ManifestType")
        with open(os.path.join(args.schemas, kinds[kind]), encoding="utf-8") as f:
            schema = json.load(f)
        try:
            jsonschema.validate(doc, schema)
            print("ok: %s validates against %s" % (name, kinds[kind]))
            seen.add(kind)
        except jsonschema.ValidationError as e:
            print("FAIL: %s: %s" % (name, e.message))
            bad += 1
    for kind in sorted(set(kinds) - seen):
        print("FAIL: no valid %s manifest" % kind)
        bad += 1
    return 1 if bad else 0


def main():
    p = argparse.ArgumentParser()
    sub = p.add_subparsers(dest="cmd", required=True)
    w = sub.add_parser("write")
    w.add_argument("--version", required=True)
    w.add_argument("--url-base", required=True)
    w.add_argument("--out", required=True)
    w.add_argument("--x64")
    w.add_argument("--x86")
    v = sub.add_parser("validate")
    v.add_argument("--schemas", required=True)
    v.add_argument("folder")
    args = p.parse_args()
    if args.cmd == "write":
        write(args)
        return 0
    return validate(args)


if __name__ == "__main__":
    sys.exit(main())
