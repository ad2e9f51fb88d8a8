#!/bin/sh
# Stands in for the web browser in the GUI tests: winebrowser starts it as
# "fake-browser.sh LOG ADDRESS"; it appends the address to LOG.
printf '%s\n' "$2" >> "$1"
