// Placeholder until the exports land.
