#!/usr/bin/env python3
"""Usage: validate_manifests.py MANIFESTS_DIR SCHEMA_DIR INSTALLER VERSION

Checks the manifests the packing tool wrote for the demo product: each winget file against its
official schema, the installer manifest's hash against the installer's SHA-256, and the Intune
app's detection rule. Prints one line per finding and exits 1 when there is any.
"""
import hashlib
import json
import os
import sys

import jsonschema
import yaml

IDENTIFIER = "QVX.Norvane"
WINGET_FILES = {  # file name: schema file name
    IDENTIFIER + ".yaml": "manifest.version.1.6.0.json",
    IDENTIFIER + ".installer.yaml": "manifest.installer.1.6.0.json",
    IDENTIFIER + ".locale.en-US.yaml": "manifest.defaultLocale.1.6.0.json",
}
KEY_PATH = "HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Norvane_new"


def schema_findings(manifests, schemas):
    findings = []
    for name, schema_name in WINGET_FILES.items():
        with open(os.path.join(schemas, schema_name), encoding="utf-8") as f:
            schema = json.load(f)
        with open(os.path.join(manifests, name), encoding="utf-8") as f:
            document = yaml.safe_load(f)
        validator = jsonschema.validators.validator_for(schema)(schema)
        findings += [f"{name}: {error.message}" for error in validator.iter_errors(document)]
    return findings


def hash_findings(manifests, installer):
    with open(os.path.join(manifests, IDENTIFIER + ".installer.yaml"), encoding="utf-8") as f:
        stated = yaml.safe_load(f)["Installers"][0].get("InstallerSha256")
    with open(installer, "rb") as f:
        actual = hashlib.sha256(f.read()).hexdigest().upper()
    return [] if stated == actual else [f"InstallerSha256 {stated}, the installer has {actual}"]


def intune_findings(manifests, version):
    with open(os.path.join(manifests, IDENTIFIER + ".intune.json"), encoding="utf-8") as f:
        app = json.load(f)
    rules = [r for r in app.get("rules", []) if r.get("ruleType") == "detection"]
    if len(rules) != 1:
        return [f"intune.json: {len(rules)} detection rules, expected 1"]
    rule = rules[0]
    want = {"keyPath": KEY_PATH, "valueName": "DisplayVersion", "operationType": "string",
            "operator": "equal", "comparisonValue": version, "check32BitOn64System": True}
    findings = [f"intune.json: {key} is {rule.get(key)!r}, expected {value!r}"
                for key, value in want.items() if rule.get(key) != value]
    codes = {c["returnCode"]: c["type"] for c in app.get("returnCodes", [])}
    for code, kind in {0: "success", 1602: "failed", 1618: "retry"}.items():
        if codes.get(code) != kind:
            findings.append(f"intune.json: return code {code} is {codes.get(code)!r}, expected {kind!r}")
    return findings


def main():
    manifests, schemas, installer, version = sys.argv[1:5]
    findings = (schema_findings(manifests, schemas) + hash_findings(manifests, installer) +
                intune_findings(manifests, version))
    for finding in findings:
        print("FAIL " + finding)
    if not findings:
        print("manifests valid: winget schemas 1.6.0, installer hash, Intune detection rule")
    return 1 if findings else 0


if __name__ == "__main__":
    sys.exit(main())
