#!/usr/bin/python3
"""Tables travel between this engine and two independent DBF libraries.

python3-dbf writes a FoxPro table with memos that vekvoro-admin must dump
exactly; a table written by this engine must read back in python3-dbfread
with exactly the values stored. Usage: interop_test.py VEKVORO_ADMIN
"""
import datetime
import json
import os
import subprocess
import sys
import tempfile
import unittest

import dbf
import dbfread

ADMIN = sys.argv[1] if len(sys.argv) > 1 else "vekvoro-admin"


def dump(folder, table, *extra):
    out = subprocess.run([ADMIN, "dump", folder, table, "--format", "json", *extra],
                         check=True, capture_output=True, text=True, encoding="utf-8").stdout
    return json.loads(out)


class ForeignTablesOpenHere(unittest.TestCase):
    def test_foxpro_table_written_by_python_dbf(self):
        with tempfile.TemporaryDirectory() as d:
            path = os.path.join(d, "guests.dbf")
            t = dbf.Table(path, "name C(20); arrival D; rooms N(5,0); rate N(8,2); vip L; notes M",
                          dbf_type="fp", codepage="cp1252")
            t.open(dbf.READ_WRITE)
            rows = [("Zoë Ångström", datetime.date(1999, 3, 1), 3, 89.5, True, "prefers €\r\nquiet room"),
                    ("Bob", datetime.date(2024, 2, 29), 12, 120.25, False, ""),
                    ("Gone", None, 0, 0, False, "deleted one")]
            for r in rows:
                t.append(r)
            dbf.delete(t[2])
            t.close()

            got = dump(d, "GUESTS")
            self.assertEqual([r["RECNO"] for r in got], [1, 2])
            self.assertEqual(got[0]["NAME"], "Zoë Ångström")
            self.assertEqual(got[0]["ARRIVAL"], "1999-03-01")
            self.assertEqual(got[0]["ROOMS"], 3)
            self.assertEqual(got[0]["RATE"], 89.5)
            self.assertEqual(got[0]["VIP"], True)
            self.assertEqual(got[0]["NOTES"], "prefers €\r\nquiet room")
            self.assertEqual(got[1]["ARRIVAL"], "2024-02-29")
            self.assertEqual(got[1]["RATE"], 120.25)
            self.assertEqual(got[1]["VIP"], False)
            every = dump(d, "GUESTS", "--deleted")
            self.assertEqual(every[2]["DELETED"], True)
            self.assertEqual(every[2]["NOTES"], "deleted one")


class OurTablesReadElsewhere(unittest.TestCase):
    def test_demo_calls_read_by_dbfread(self):
        with tempfile.TemporaryDirectory() as d:
            subprocess.run([ADMIN, "demo", d], check=True, capture_output=True)
            ours = dump(d, "SALECALL")
            theirs = list(dbfread.DBF(os.path.join(d, "SALECALL.DBF"), encoding="cp1252",
                                      char_decode_errors="strict"))
            self.assertEqual(len(ours), len(theirs))
            self.assertGreater(len(ours), 0)
            for mine, other in zip(ours, theirs):
                for name, value in other.items():
                    if isinstance(value, datetime.date):
                        value = value.isoformat()
                    elif isinstance(value, str):
                        value = value.rstrip(" ")
                    elif value is None and name in ("DATE", "TRACE", "POSTED_ON", "ADDED", "MODIFIED", "EXPORTED"):
                        value = None
                    self.assertEqual(mine[name], value, f"record {mine['RECNO']} field {name}")


if __name__ == "__main__":
    unittest.main(argv=[sys.argv[0]])
