#!/bin/sh
# Installs what tools/make_example_data.py needs (Debian or Ubuntu, as root).
# Run by hand before regenerating the example data; the build, the tests and
# the tools themselves need none of it.  Run the generator afterwards with
# Debian's own interpreter, which sees these packages:
#     /usr/bin/python3 tools/make_example_data.py
set -e
apt-get update
apt-get install -y python3-xraylib python3-numpy
