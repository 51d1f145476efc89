#!/bin/bash
# A new game plays the campaign from its own first level: the game, with the
# campaign's QB00.BMP, QB01.BMP, ... beside it and no --levels, starts on
# QB00 (not the built-in level, which only comes first without it), wins it
# along the route bot's keys and goes on to level 1 with the score kept.
#   into_campaign.sh QUIBBO LEVELBOT
set -u
quibbo=$(realpath "$1")
levelbot=$(realpath "$2")
dir=$(mktemp -d "${TMPDIR:-/tmp}/quibbo-campaign.XXXXXX")
trap 'rm -rf "$dir"' EXIT
first=$(dirname "$quibbo")/QB00.BMP
[ -s "$first" ] && [ -s "$(dirname "$quibbo")/QB01.BMP" ] || {
    echo "no QB00.BMP and QB01.BMP beside $quibbo: the build did not make the campaign"
    exit 1
}
summary=$("$levelbot" route "$first" "$dir/route.keys") || {
    echo "the bot did not clear QB00"
    exit 1
}
echo "$summary"
frames=$(echo "$summary" | sed -n 's/^frames: //p')
# A few frames into level 1, after the two seconds (125 frames) of QB00's
# end card. The player's own levels (an empty data folder here) must not
# stand in for the campaign.
stats=$(cd "$dir" && XDG_DATA_HOME="$dir/no-data" "$quibbo" --headless --keys @"$dir/route.keys" \
    --stats --frames $((frames + 150)) AlwaysTheWalrus) || {
    echo "quibbo failed: $stats"
    exit 1
}
echo "$stats"
for want in '"level": 1,' '"4": 1,' '"message_boxes": []' '"exit_code": 0'; do
    [[ "$stats" == *"$want"* ]] || {
        echo "after QB00 the game is not on the campaign's level 1: no $want"
        exit 1
    }
done
[[ "$stats" == *'"score": 0,'* ]] && { echo "the score was not kept"; exit 1; }
exit 0
