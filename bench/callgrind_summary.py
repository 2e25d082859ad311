#!/usr/bin/env python3
"""The table of bench/callgrind.sh from its result folder: callgrind_summary.py FOLDER."""
import re, sys, os
out = sys.argv[1]
text = open(os.path.join(out, "annotate.txt"), errors="replace").read()
total = int(re.search(r"^\s*([\d,]+) \(100\.0%\)\s+PROGRAM TOTALS", text, re.M).group(1).replace(",", ""))
def inclusive(name):
    best = 0
    for m in re.finditer(r"^\s*([\d,]+) \([^)]*\)\s+\S*?:?(\S*?)\b" + re.escape(name) + r"(\[abi:cxx11\])?\(", text, re.M):
        best = max(best, int(m.group(1).replace(",", "")))
    return best
log = open(os.path.join(out, "quorel.log"), errors="replace").read()
trace = open(os.path.join(out, "function.log"), errors="replace").read() if os.path.exists(os.path.join(out, "function.log")) else ""
completed = log.count("[I-BrowseComplete] http")
shown = completed - log.count("[IBadImage] ")
calls = {"workBrowser_DocumentComplete": trace.count("workBroswer_DocumentComplete IN") or trace.count("workBrowser_DocumentComplete IN"),
         "browser_DocumentComplete": trace.count(" browser_DocumentComplete IN"),
         "CleanupHTML": trace.count("CleanupHTML IN"),
         "IBrowseTo": trace.count("IBrowseTo IN"),
         "nextTimer_Timer": trace.count("nextTimer_Timer IN"),
         "AddStatus": trace.count("AddStatus IN"),
         "AddTrace": trace.count("\n")}
print("callgrind: %d pictures shown (%d display completions), program total %.1f G instructions, "
      "%.1f M instructions per picture shown\n" % (shown, completed, total / 1e9, total / 1e6 / max(shown, 1)))
print("| procedure (inclusive) | instructions | calls | M instr. per call | M instr. per picture shown |")
print("| --- | --- | --- | --- | --- |")
for name in ("workBrowser_DocumentComplete", "browser_DocumentComplete", "CleanupHTML", "IBrowseTo", "nextTimer_Timer",
             "web::buildDocument", "web::decodeImage", "web::imageSizeOf", "AddStatus", "AddTrace"):
    cost = inclusive(name)
    n = calls.get(name, 0)
    print("| %s | %.1f M | %d | %s | %.2f |" % (name, cost / 1e6, n, "%.2f" % (cost / 1e6 / n) if n else "n/a",
                                               cost / 1e6 / max(shown, 1)))
