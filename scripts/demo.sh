#!/usr/bin/env bash
# Builds the module and runs the demo.
source "$(dirname "${BASH_SOURCE[0]}")/setup.sh"
setup_environment demo
exec .venv/bin/python examples/demo.py "$@"
