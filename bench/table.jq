# The table of docs/performance.md from the benchmark's JSON; exits with 1 when an
# interaction did not do what it should.
def fig: if . == null then "-" elif . >= 100 then round elif . >= 10 then (. * 10 | round) / 10
         else (. * 100 | round) / 100 end | tostring;
def value: .peak_MB // .real_time;
# Each target of a run as the table names it, and whether the run met it.
def targets: value as $m | .floor_ms as $floor
  | (.max_ms // empty | ["≤ \(.) ms", $m <= .]), (.max_MB // empty | ["≤ \(.) MB", $m <= .]),
    (.max_x_floor // empty | ["≤ \(.)x floor", $m <= . * $floor]),
    (.max_x_floor_above_frame // empty | ["≤ \(.)x floor if > 16 ms", $m <= 16 or $m <= . * $floor]);
(.benchmarks | map(select(.aggregate_name == "stddev")) | INDEX(.run_name)) as $spread
| "\(.context.date), \(.context.num_cpus) CPUs, load \(.context.load_avg | map(fig) | join(" "))",
  "| interaction | records | median | stddev | floor | x floor | target | met |",
  "| --- | ---: | ---: | ---: | ---: | ---: | --- | --- |",
  (.benchmarks[] | select(.aggregate_name == "median" or .repetitions == 1 and .error_occurred != true)
   | (.run_name | split("/")) as $name | ($name | index(map(select(test("^[0-9]+$")))[0])) as $at
   | [targets] as $targets
   | "| \($name[:$at] | join(" ")) | \($name[$at]) | \(value | fig) \(if .peak_MB then "MB" else "ms" end) "
     + "| \($spread[.run_name] | if . then value else null end | fig) | \(.floor_ms | fig) "
     + "| \(if .floor_ms then (value / .floor_ms | fig) + "x" else "-" end) "
     + "| \(if $targets == [] then "-" else $targets | map(.[0]) | join("; ") end) "
     + "| \(if $targets == [] then "-" elif all($targets[]; .[1]) then "yes" else "no" end) |"),
  (.benchmarks[] | select(.error_occurred) | "FAILED \(.name): \(.error_message)"),
  (if any(.benchmarks[]; .error_occurred) then "an interaction failed\n" | halt_error(1) else empty end)
