#!/usr/bin/env bash
# Runs a program on a virtual X server of its own, with Qt's X11 platform.
#   on_x_server.sh PROGRAM [ARG...]
set -euo pipefail
work=$(mktemp -d)
source "$(dirname "$0")/x_server.sh"
trap 'stop_x_server; rm -rf "$work"' EXIT
start_x_server "$work" 640x480x24
QT_QPA_PLATFORM=xcb "$@"
