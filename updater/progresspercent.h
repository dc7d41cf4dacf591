#pragma once

/// The workers' progress: int(n / total x 100) in double precision, truncated; 0 for an empty total.
class ProgressPercent
{
public:
    static int of(int completed, int total)
    {
        if (total <= 0)
            return 0;
        return static_cast<int>(static_cast<double>(completed) / total * 100.0);
    }
};
