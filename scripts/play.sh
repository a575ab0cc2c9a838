# Plays Sorvane on an X display with xdotool, as a pupil would: the name box, the greeting,
# one right answer read off the drawn figure, "Esci" and the record's confirmation.
# Sourced by scripts/windows, which plays the installed Windows game under wine with it; it
# plays the Linux game the same way. Needs DISPLAY, xdotool and ImageMagick's import/convert.

# The value buttons' values and left edges, and the places of "Verifica" and "Esci", in the
# window's client area below the menu bar (748 x 552).
PLAY_VALUES=(70 60 50 40 30 20 10 5 3 2 1)
declare -A PLAY_VALUE_X=([1]=5 [2]=72 [3]=139 [5]=206 [10]=273 [20]=340 [30]=408 [40]=475
    [50]=542 [60]=610 [70]=680)
PLAY_VERIFICA=(76 284)
PLAY_ESCI=(668 284)

# The id of the visible window whose title is exactly $1, once there is one (10 s at most).
play_wait_window() {
    local title="$1" id i
    for i in $(seq 200); do
        id="$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | head -n 1)" || true
        if [ -n "$id" ]; then
            echo "$id"
            return 0
        fi
        sleep 0.05
    done
    echo "no window titled '${title}'" >&2
    return 1
}

# Gives a window the keyboard and presses Enter in it, then waits until it is gone.
play_close_box() {
    local id="$1" i
    xdotool windowfocus --sync "$id" 2>/dev/null || xdotool windowfocus "$id" || true
    xdotool key Return
    for i in $(seq 200); do
        xdotool search --onlyvisible --name . 2>/dev/null | grep -qx "$id" || return 0
        sleep 0.05
    done
    echo "the box $id did not close" >&2
    return 1
}

# The screen position of the client area's top left corner: the window's frame, if the
# system draws one, is taken as even on the sides and the bottom, the caption and the menu
# bar above.
play_client_origin() {
    local id="$1" X Y WIDTH HEIGHT SCREEN WINDOW border
    eval "$(xdotool getwindowgeometry --shell "$id")"
    border=$(((WIDTH - 748) / 2))
    echo "$((X + border)) $((Y + HEIGHT - 552 - border))"
}

play_click() {
    local ox="$1" oy="$2" x="$3" y="$4"
    xdotool mousemove --sync $((ox + x)) $((oy + y)) click 1
}

# The given angle as drawn: where the green sector meets the blue rest of the quarter
# (centre 350,250, radius 190), found along an arc of radius 185 in small steps.
play_drawn_angle() {
    local shot="$1" ox="$2" oy="$3"
    convert "$shot" -crop "200x200+$((ox + 345))+$((oy + 55))" +repage txt:- |
        awk -v cx=5 -v cy=195 '
        NR > 1 {
            split($1, p, "[,:]")
            colour[p[1] "," p[2]] = $3
        }
        END {
            pi = atan2(0, -1); r = 185; lastGreen = -1; firstBlue = -1; blue = 0
            for (a = 0.05; a < 90; a += 0.05) {
                x = int(cx + r * sin(a * pi / 180) + 0.5); y = int(cy - r * cos(a * pi / 180) + 0.5)
                c = colour[x "," y]
                if (c == "#008000" && firstBlue < 0) lastGreen = a
                else if (c == "#000080" && lastGreen >= 0 && firstBlue < 0) firstBlue = a
                if (c == "#000080") blue = 1
            }
            if (lastGreen < 0) print (blue ? 1 : 0)
            else if (firstBlue < 0) print 89
            else print int((lastGreen + firstBlue) / 2 + 0.5)
        }'
}

# Plays one game: the name $1, one right answer, "Esci". $2 is a file for a screenshot of the
# window with the question answered. Returns non-zero at the first thing that went wrong.
play_one_right_answer() {
    local name="$1" shotfile="$2" ask greeting window origin ox oy angle sum value box
    ask="$(play_wait_window "Riconosciamo gli angoli")" || return 1
    xdotool windowfocus --sync "$ask" 2>/dev/null || xdotool windowfocus "$ask" || true
    xdotool type --delay 40 "$name"
    play_close_box "$ask" || return 1
    greeting="$(play_wait_window "Riconosciamo gli angoli")" || return 1
    play_close_box "$greeting" || return 1
    window="$(play_wait_window "$(printf '%92s' '')Impariamo a riconoscere gli angoli")" || return 1
    sleep 1
    read -r ox oy <<<"$(play_client_origin "$window")"
    import -window root "$shotfile"
    angle="$(play_drawn_angle "$shotfile" "$ox" "$oy")"
    if [ "$angle" -lt 1 ] || [ "$angle" -gt 89 ]; then
        echo "no given angle found on the figure (read: $angle)" >&2
        return 1
    fi
    echo "given angle: $angle, answer: $((90 - angle))"
    sum=$((90 - angle))
    for value in "${PLAY_VALUES[@]}"; do
        while [ "$sum" -ge "$value" ]; do
            play_click "$ox" "$oy" $((PLAY_VALUE_X[$value] + 32)) 507
            sum=$((sum - value))
        done
    done
    import -window root "$shotfile"
    play_click "$ox" "$oy" "${PLAY_VERIFICA[@]}"
    box="$(play_wait_window "Giochiamo con gli angoli")" || {
        echo "the answer $((90 - angle)) was not taken as right" >&2
        return 1
    }
    play_close_box "$box" || return 1
    play_click "$ox" "$oy" "${PLAY_ESCI[@]}"
    box="$(play_wait_window "Sorvane")" || return 1 # the farewell
    play_close_box "$box" || return 1
    box="$(play_wait_window "Sorvane")" || return 1 # the new record
    play_close_box "$box" || return 1
}
