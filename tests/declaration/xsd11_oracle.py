# Validates declaration files against the administration's schema as XSD 1.1, assertions
# included, with Debian's python3-xmlschema: the reference the check is compared with.
#
#   python3 xsd11_oracle.py SCHEMA FOLDER
#
# Prints one line per .xml file of FOLDER, in name order: the file name, a tab, "valid" or
# "invalid", a tab and the first reason of the refusal.
import os
import sys

import xmlschema

schema = xmlschema.XMLSchema11(sys.argv[1])
folder = sys.argv[2]
for name in sorted(os.listdir(folder)):
    if not name.endswith(".xml"):
        continue
    error = next(iter(schema.iter_errors(os.path.join(folder, name))), None)
    if error is None:
        print(f"{name}\tvalid\t")
    else:
        reason = f"{error.path} {error.reason}".replace("\t", " ").replace("\n", " ")
        print(f"{name}\tinvalid\t{reason[:300]}")
