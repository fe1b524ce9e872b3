#!/usr/bin/env bash
# Layers depend one way. Fails, naming the line, when a source includes a
# project header from a layer it must not know:
#   platform/  nothing above it
#   access/    platform/
#   sim/       access/ and platform/ (it stands behind their seams)
#   commands/  the console's shared parts, access/ and platform/
#   beeper/    platform/
#   notifier/  none of the console's layers (a program of its own)
set -u
root=${1:?usage: check_includes.sh SOURCE_ROOT}
status=0
check() { # folder, pattern of the includes it may not have
    local hits
    hits=$(grep -rnE "^#include \"($2)/" "$root/$1" --include='*.h' --include='*.cpp' 2>/dev/null)
    if [ -n "$hits" ]; then
        printf '%s must not include %s:\n%s\n' "$1/" "$2" "$hits"
        status=1
    fi
}
check platform 'access|sim|console|commands|notifier|beeper'
check access 'sim|console|commands'
check sim 'console|commands'
check notifier 'platform|access|sim|console|commands|beeper'
check commands 'sim|console/(shell|startup|command_table|help_texts|event_display|device_choice)\.h'
check beeper 'access|sim|console|commands|notifier'
[ $status -eq 0 ] && echo "layers: every include points down"
exit $status
