#!/usr/bin/env bash
# Makes the README's pictures (docs/screenshots/) with the program's own offscreen grab, on a
# copy of the delivered data folder holding a made-up unit and a few achievements.
set -euo pipefail
cd "$(dirname "$0")/.."
[ -x build/tamsel ] || bash scripts/build.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The program beside its own data folder, so the window shows the default title.
cp build/tamsel "$work/"
cp -r build/data "$work/data"
rm -f "$work/data/tamsel.lock"
sql() { build/tamsel-sql "$work/data" "$1" >/dev/null; }
sql "insert into unit (ITEM_9, ITEM_37, ITEM_38, ITEM_39, ITEM_40) values ('示范农业科学研究院', '示范市建设路 18 号', '100000', '张明', '010-12345678')"
n=1
for name in 高产抗病小麦新品种选育与推广 节水灌溉智能控制系统 农田土壤重金属快速检测技术 \
            设施蔬菜病虫害绿色防控技术集成; do
  sql "insert into pelk (ITEM_4, ITEM_DQDM, ITEM_CGLB, ITEM_3, ITEM_9, ITEM_120, ITEM_8, ITEM_14)
       values ('202500000$n', '.', '1', '$name', '示范农业科学研究院', '1102025Y000$n',
               '2022.03   至2025.0$n', '小麦;育种;推广')"
  n=$((n + 1))
done
mkdir -p docs/screenshots
QT_QPA_PLATFORM=offscreen XDG_RUNTIME_DIR="$work" "$work/tamsel" --screenshots docs/screenshots
echo "written: docs/screenshots/main-window.png docs/screenshots/overview-page.png"
