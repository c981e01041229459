"""The skin generator: writes every skin fragment of resources/skins that repeats a pattern (the edit
panels on their one grid, the sub-editors they place, the picture's groups and tiles) from shared
helpers. Run `python3 -m tools.skin` from the repository root after changing a number here, and commit
the fragments; `python3 -m tools.skin --check` says which committed fragment differs."""
