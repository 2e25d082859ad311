"""scripts/check-layers.py on small trees of one file each: which includes it lets pass, and
which rule it names for the rest."""

import importlib.util
import pathlib
import tempfile
import unittest
from dataclasses import dataclass
from typing import Optional

SCRIPT = pathlib.Path(__file__).resolve().parents[2] / "scripts" / "check-layers.py"
spec = importlib.util.spec_from_file_location("check_layers", SCRIPT)
layers = importlib.util.module_from_spec(spec)
spec.loader.exec_module(layers)


@dataclass
class Row:
    name: str
    file: str  # where the include is written, from the top of the tree
    include: str  # the line as written
    rule: Optional[str]  # the rule it breaks; None: it passes


ROWS = [
    Row("core on platform", "src/core/a.cpp", '#include "platform/clock.h"', None),
    Row("core on a subsystem", "src/core/a.cpp", '#include "dialogs/x.h"',
        layers.ALLOWED["core"][1]),
    Row("core on the top", "src/core/a.cpp", '#include "app/startup.h"',
        layers.ALLOWED["core"][1]),
    Row("a subsystem on another", "src/crawler/a.cpp", '#include "display/x.h"', None),
    Row("a subsystem on core", "src/dialogs/a.cpp", '#include "core/program.h"', None),
    Row("a subsystem on the top", "src/interaction/a.cpp", '#include "app/image_form.h"',
        layers.ALLOWED["interaction"][1]),
    Row("a subsystem on the engine", "src/display/a.cpp", '#include "web/engine.h"',
        layers.ALLOWED["display"][1]),
    Row("the top on a subsystem", "src/app/a.cpp", '#include "crawler/x.h"', None),
    Row("the desktop on the top", "src/desktop/main.cpp", '#include "app/startup.h"', None),
    Row("a test on the top", "tests/app/a_test.cpp", '#include "app/startup.h"', None),
    Row("the engine on the top", "src/web/a.cpp", '#include "app/startup.h"', layers.APP_RULE),
    Row("a benchmark on the top", "bench/a.cpp", '#include "app/startup.h"', layers.APP_RULE),
    Row("platform on core", "src/platform/a.h", '#include "core/vb_text.h"',
        layers.ALLOWED["platform"][1]),
    Row("the logic on a Qt class", "src/crawler/a.cpp", "#include <QString>", layers.QT_RULE),
    Row("the logic on a Qt module", "src/core/a.cpp", "#include <QtCore/qglobal.h>",
        layers.QT_RULE),
    Row("platform on Qt", "src/platform/a.h", "#include <QObject>", layers.QT_RULE),
    Row("the logic on the standard library", "src/core/a.cpp", "#include <string>", None),
    Row("the engine on Qt", "src/web/a.cpp", "#include <QString>", None),
    Row("the logic on a file beside it", "src/core/a.cpp", '#include "b.h"', None),
]


class CheckLayers(unittest.TestCase):
    def test_each_include_passes_or_names_its_rule(self):
        for row in ROWS:
            with self.subTest(row.name), tempfile.TemporaryDirectory() as top:
                root = pathlib.Path(top)
                path = root / row.file
                path.parent.mkdir(parents=True)
                (path.parent / "b.h").write_text("")
                path.write_text("// a file\n" + row.include + "\n")
                expected = [] if row.rule is None else [(2, row.include, row.rule)]
                self.assertEqual(layers.broken_rules(path, root), expected)

    def test_a_report_line_names_the_file_the_line_and_the_rule(self):
        with tempfile.TemporaryDirectory() as top:
            root = pathlib.Path(top)
            (root / "src/core").mkdir(parents=True)
            (root / "src/core/a.cpp").write_text('#include <vector>\n#include "app/startup.h"\n')
            self.assertEqual(layers.check(root), [
                'src/core/a.cpp:2: #include "app/startup.h": ' + layers.ALLOWED["core"][1]])


if __name__ == "__main__":
    unittest.main()
