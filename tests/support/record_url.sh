#!/bin/sh
# Stands in for the user's web browser in the tests: Wine's winebrowser runs
# it as "record_url.sh <file> <address>" (the file comes from the browser
# entry that the test writes to the registry); it appends the address to the
# file, one line per address opened.
printf '%s\n' "$2" >> "$1"
