#!/bin/sh
# SPDX-License-Identifier: GPL-2.0-or-later
# Runs inside the test VM: the checks of checks.sh held against a pendulon-cli that lies. Each
# check it runs must fail; one that passes could not catch a wrong pendulon-cli. The liar turns
# every hexadecimal digit of the real output into the next one (0 to 1, ..., f to 0) and adds
# a character to every line, so numbers, dumps, JSON and strings all come out wrong; its help
# texts are the real ones, so that the same checks run as in the honest run.
cat >/tmp/lying-cli <<'EOF'
#!/bin/sh
for arg in "$@"; do
    case $arg in -h | --help) exec pendulon-cli "$@" ;; esac
done
pendulon-cli "$@" 2>&1 | tr '0-9a-f' '1-9a-f0' | sed 's/$/~/'
EOF
chmod +x /tmp/lying-cli

results=$(PENDULON_CLI=/tmp/lying-cli sh /tests/checks.sh 2>&1)
ran=$(echo "$results" | grep -c -E '^(PASS|FAIL)')
caught=$(echo "$results" | grep -c '^FAIL')
if [ "$ran" -eq 0 ]; then
    echo "FAIL control: no check ran against the lying pendulon-cli"
elif [ "$caught" -eq "$ran" ]; then
    echo "PASS control: all $ran checks failed against a lying pendulon-cli"
else
    echo "$results" | sed -n 's/^PASS /FAIL control: passed against a lying pendulon-cli: /p'
fi
exit 0
