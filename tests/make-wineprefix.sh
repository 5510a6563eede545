#!/bin/sh
# Creates (or updates) the tests' own Wine prefix, as a user's prefix is prepared.
exec "$(dirname "$0")/../tools/prepare-prefix.sh" "$1"
