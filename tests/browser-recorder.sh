#!/usr/bin/env bash
# Stands in for the web browser inside the test prefixes: records each address it is asked
# to open, one a line, in $WINEPREFIX/browser.log, and opens nothing.
printf '%s\n' "$*" >> "${WINEPREFIX:-/tmp}/browser.log"
