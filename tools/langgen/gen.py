#!/usr/bin/env python3
# Writes the eleven resources/Language/*.json and keys.txt from texts.py.
import json, os, sys
sys.path.insert(0, os.path.dirname(__file__))
from texts import TEXTS, LIGHT_MODES, RATES, PROFILE
from texts_more import MORE, LIGHT_MORE, PROFILE_MORE, FILES_MORE

out = os.path.join(os.path.dirname(__file__), "..", "..", "resources", "Language")
langs = {"en.json": 0, "zh-CN.json": 1, "zh-TW.json": 2}
missing = [g + "." + k for g, k, *_ in TEXTS if g + "." + k not in MORE]
if missing:
    sys.exit("texts_more.py lacks: " + ", ".join(missing))
rows = [(g, k, *t, *MORE[g + "." + k]) for g, k, *t in TEXTS]
light = [m + lm for m, lm in zip(LIGHT_MODES, LIGHT_MORE)]
profile = PROFILE + PROFILE_MORE
for i, f in enumerate(FILES_MORE):
    langs[f] = 3 + i
for name, col in langs.items():
    groups = {}
    for g, k, *t in rows:
        groups.setdefault(g, {})[k] = t[col]
    groups.setdefault("light", {})["LightMode"] = {str(i): m[col] for i, m in enumerate(light)}
    groups["sensor"]["ReportRates"] = [{"value": r, "option": "%d Hz" % r} for r in RATES]
    groups["key"]["ProfileOptions"] = [{"value": 0, "option": profile[col]}]
    doc = {"mouse": groups}
    with open(os.path.join(out, name), "w", encoding="utf-8") as f:
        json.dump(doc, f, ensure_ascii=False, indent=2)
        f.write("\n")
with open(os.path.join(out, "keys.txt"), "w", encoding="utf-8") as f:
    f.write("# group key: every mouse-section text the program looks up\n")
    for g, k, *_ in TEXTS:
        f.write("%s %s\n" % (g, k))
    for i in range(len(LIGHT_MODES)):
        f.write("light %d\n" % i)
