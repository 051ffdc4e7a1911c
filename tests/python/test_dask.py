"""kavu.sheets over the partitions of a Dask dataframe on a local cluster of two workers."""
import numpy as np
import pandas
import pytest

import kavu

dd = pytest.importorskip("dask.dataframe")
distributed = pytest.importorskip("distributed")


def test_partitions_on_two_workers():
    rng = np.random.default_rng(7)
    table = pandas.DataFrame({"lat": rng.uniform(-84, 84, 40000), "lon": rng.uniform(-180, 180, 40000)})
    table.loc[::1000, "lat"] = 88.0  # off the grid: an empty name, not a failed task
    frame = dd.from_pandas(table, npartitions=8)
    with distributed.LocalCluster(
        n_workers=2, threads_per_worker=1, processes=True, dashboard_address=None
    ) as cluster, distributed.Client(cluster) as client:
        assert len(client.scheduler_info()["workers"]) == 2
        names = frame.map_partitions(
            lambda part: pandas.Series(kavu.sheets(part.lat, part.lon, "50k"), index=part.index),
            meta=("sheet", object),
        ).compute()
    assert names.tolist() == kavu.sheets(table.lat, table.lon, "50k").tolist()
    assert (names == "").sum() == 40
