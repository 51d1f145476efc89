#!/usr/bin/env -S node --no-experimental-fetch
