#!/usr/bin/env bash
# The installed Claude Code scripts, run as Claude Code runs them: each command read back from
# settings.json and handed to `sh -c`, in a home whose path holds a space and both quotes.
#
#   claude-code-scripts.sh VESK_CLAUDE
set -uo pipefail
tool=$1
work=$(mktemp -d /tmp/vesk-claude-scripts.XXXXXX)
trap 'rm -rf "$work"' EXIT
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
check() { local what=$1; shift; "$@" || fail "$what"; }

export HOME="$work/home of it's \"quoted\""
unset XDG_DATA_HOME
mkdir -p "$HOME"
folder="$HOME/.local/share/vesk/ClaudeCode"
settings="$HOME/.claude/settings.json"
events="$folder/events.jsonl"

hook_command() { jq -r --arg e "$1" '.hooks[$e][-1].hooks[0].command' "$settings"; }
status_command() { jq -r '.statusLine.command' "$settings"; }
# run_hook EVENT INPUT: the hook as Claude Code runs it; its stderr goes to $work/stderr.
run_hook() { printf '%s' "$2" | sh -c "$(hook_command "$1")" 2>"$work/stderr"; }
last_line() { tail -n 1 "$events"; }
mode() { stat -c %a "$1"; }

# Connecting with nothing there.
check "connect from nothing" "$tool" connect
check "installed" test "$("$tool" installed)" = true
check "a new settings file is 600" test "$(mode "$settings")" = 600
check "scripts are 644" test "$(mode "$folder/hook.sh") $(mode "$folder/statusline.sh")" = "644 644"
check "events file 600" test "$(mode "$events") $(mode "$folder/previous-statusline.json")" = "600 600"
check "previous is {}" test "$(cat "$folder/previous-statusline.json")" = "{}"
check "no backup" test ! -e "$settings.vesk-backup"
check "seven events, one entry each" test "$(jq -c '[.hooks | to_entries[] | [.key, (.value | length), (.value[0].matcher // "-")]]' "$settings")" = \
  '[["Notification",1,"-"],["PostToolUse",1,"*"],["PreToolUse",1,"*"],["SessionEnd",1,"-"],["SessionStart",1,"-"],["Stop",1,"-"],["UserPromptSubmit",1,"-"]]'
check "status falls back to true" test "$(status_command | sed 's/.*; else //')" = "true; fi"

# A hook drops the bulky keys and writes one envelope.
before=$(date +%s)
run_hook UserPromptSubmit '{"session_id":"s1","cwd":"/w/app","prompt":"secret","tool_input":{"a":1},"transcript_path":"/t"}'
check "hook exit status" test $? -eq 0
after=$(date +%s)
line=$(last_line)
check "envelope keys in order" test "$(printf '%s' "$line" | sed 's/"at":[0-9]*/"at":N/')" = '{"event":"UserPromptSubmit","at":N,"data":{"session_id":"s1","cwd":"/w/app"}}'
at=$(printf '%s' "$line" | jq .at)
check "at is now" test "$at" -ge "$before" -a "$at" -le "$after"
check "hook is quiet" test ! -s "$work/stderr"
run_hook Stop 'not json'
check "unconvertible input is null" test "$(last_line | jq -c .data)" = null
run_hook Stop '{"session_id":"a"} {"session_id":"b"}'
check "two values are null" test "$(last_line | jq -c .data)" = null
run_hook Stop '[1]'
check "a list is null" test "$(last_line | jq -c .data)" = null

# The hook's own bound, for while Vesk is not reading.
head -c 2000000 /dev/zero | tr '\0' x > "$events"
run_hook Stop '{"session_id":"s"}'
check "2,000,000 bytes only appends" test "$(head -c 1 "$events")" = x -a "$(stat -c %s "$events")" -gt 2000000
head -c 2000001 /dev/zero | tr '\0' x > "$events"
run_hook Stop '{"session_id":"s"}'
check "2,000,001 bytes is emptied first" test "$(wc -l < "$events")" = 1 -a "$(head -c 1 "$events")" = "{"
rm -f "$events"
run_hook Stop '{"session_id":"s"}'
check "a missing events file: nothing on stderr" test ! -s "$work/stderr"
check "a missing events file is made" test "$(wc -l < "$events")" = 1

# Fifty hooks at once with 20,000-byte messages: fifty whole lines.
: > "$events"
message=$(head -c 20000 /dev/zero | tr '\0' m)
cmd=$(hook_command Notification)
for i in $(seq 1 50); do
  printf '{"session_id":"p%d","message":"%s"}' "$i" "$message" | sh -c "$cmd" &
done
wait
check "fifty lines" test "$(wc -l < "$events")" = 50
check "every line whole" test "$(jq -r '.data.message | length' "$events" | sort -u)" = 20000
check "every session once" test "$(jq -r .data.session_id "$events" | sort -u | wc -l)" = 50

# The status line with nothing of the user's: the input lands in statusline.json, nothing prints.
out=$(printf '{"rate_limits":{}}\n\n' | sh -c "$(status_command)")
check "status prints nothing" test -z "$out"
check "status copy without trailing line feeds" test "$(cat "$folder/statusline.json")" = '{"rate_limits":{}}' -a "$(tail -c 1 "$folder/statusline.json")" = "}"
check "no temporary left" test -z "$(ls "$folder" | grep tmp)"
"$tool" disconnect
check "disconnect leaves nothing" test "$(cat "$settings")" = "{}"

# The user's own file, status line and hooks.
cat > "$settings" <<'JSON'
{
    "statusLine": {"type": "command", "command": "printf 'mine:'; cat; echo \" it's\"", "padding": 0},
    "hooks": {"PreToolUse": [{"matcher": "Bash", "hooks": [{"type": "command", "command": "lint"}]}]},
    "big": 12345678901234567890,
    "float": 1.0
}
JSON
chmod 640 "$settings"
cp "$settings" "$work/original.json"
check "connect over the user's file" "$tool" connect
check "backup is the user's file" cmp -s "$settings.vesk-backup" "$work/original.json"
check "mode stays" test "$(mode "$settings")" = 640
check "saved line" test "$(jq -cS . "$folder/previous-statusline.json")" = "$(jq -cS .statusLine "$work/original.json")"
check "padding stays" test "$(jq .statusLine.padding "$settings")" = 0
check "user's PreToolUse first" test "$(jq -c '[.hooks.PreToolUse[] | .matcher]' "$settings")" = '["Bash","*"]'
check "numbers as read" grep -q '"big": 12345678901234567890' "$settings"
grep -q '"float": 1.0' "$settings" || fail "1.0 stays 1.0"
out=$(printf '{"x":1}' | sh -c "$(status_command)")
check "the user's line shows through the wrapper" test "$out" = "mine:{\"x\":1} it's"
cp "$settings" "$work/connected.json"
check "connect again" "$tool" connect
check "connecting twice rewrites nothing" cmp -s "$settings" "$work/connected.json"

# With the folder gone every command exits 0 and quietly, and the former status line prints.
mv "$folder" "$work/folder-aside"
for event in SessionStart SessionEnd UserPromptSubmit PreToolUse PostToolUse Notification Stop; do
  out=$(printf '{"session_id":"s"}' | sh -c "$(hook_command "$event")" 2>&1)
  status=$?
  check "$event without the folder exits 0" test "$status" -eq 0
  check "$event without the folder is silent" test -z "$out"
done
out=$(printf '{"x":2}' | sh -c "$(status_command)" 2>&1)
check "fallback status line" test "$out" = "mine:{\"x\":2} it's"
check "nothing recreated" test ! -e "$folder"
mv "$work/folder-aside" "$folder"

# The intake sees a hook's event and a status line.
mkfifo "$work/in"
"$tool" intake < "$work/in" > "$work/state" &
intake=$!
exec 7>"$work/in"
echo "state" >&7
for _ in $(seq 1 100); do [ -s "$work/state" ] && break; sleep 0.1; done
run_hook Notification '{"session_id":"i1","cwd":"/w/proj","message":"Allow?"}'
printf '{"rate_limits":{"five_hour":{"used_percentage":95,"resets_at":"2026-01-01T00:00:00Z"}}}' | sh -c "$(status_command)" >/dev/null
echo "advance 1" >&7
echo "state" >&7
echo "quit" >&7
exec 7>&-
wait $intake
check "intake status" test $? -eq 0
state=$(tail -n 1 "$work/state")
check "intake session" test "$(jq -c '.sessions' <<<"$state")" = '[{"id":"i1","message":"Allow?","project":"proj","state":"waiting"}]'
check "intake activity" test "$(jq -c '.activity' <<<"$state")" = '{"symbol":"hand.raised.fill","text":"Needs you · proj","tint":"#D97857","urgent":true}'
check "intake limit" test "$(jq -c '.fiveHour' <<<"$state")" = '{"resetsAt":1767225600,"usedPercent":95}'
check "intake alerts" test "$(jq -c '[.alerts[].text]' <<<"$state")" = '["Needs you · proj","5-hour limit · 95%"]'

# Disconnecting gives the user's file back exactly.
check "disconnect" "$tool" disconnect
check "the user's file exactly" cmp -s "$settings" "$work/original.json"
check "not installed" test "$("$tool" installed)" = false

# A settings file another user cannot read is left alone.
if [ "$(id -u)" -eq 0 ]; then
  other="$work/nobody"
  mkdir -p "$other/.claude"
  chmod 755 "$work"
  chown 65534:65534 "$other"
  printf '{"keep": true}\n' > "$other/.claude/settings.json"
  chmod 600 "$other/.claude/settings.json"
  cp "$other/.claude/settings.json" "$work/theirs.json"
  for verb in connect disconnect; do
    err=$(HOME="$other" setpriv --reuid 65534 --regid 65534 --clear-groups "$tool" "$verb" 2>&1 >/dev/null)
    status=$?
    check "$verb of an unreadable file fails" test "$status" -eq 1
    check "$verb says why" test "$(printf '%s\n' "$err" | tail -n 1)" = "Claude Code's settings.json couldn't be read, so nothing was changed."
  done
  check "the unreadable file is unchanged" cmp -s "$other/.claude/settings.json" "$work/theirs.json"
  check "no backup beside it" test ! -e "$other/.claude/settings.json.vesk-backup"
else
  echo "skipped: the unreadable file needs root to become user 65534"
fi

# A settings file that is a list.
printf '[]' > "$settings"
err=$("$tool" connect 2>&1)
check "a list refuses" test "$?" -eq 1 -a "$err" = "Claude Code's settings.json couldn't be read, so nothing was changed."
check "the list stays" test "$(cat "$settings")" = "[]"

if [ "$failures" -ne 0 ]; then
  echo "$failures checks failed" >&2
  exit 1
fi
echo "all checks passed"
