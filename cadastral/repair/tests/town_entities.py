"""What the merge checks read of a town's entities: the feature code and a polyline's vertices."""


def feature_code(entity):
    if entity.xdata is None:
        return ""
    for app in entity.xdata.data:
        if app.upper() == "MIRET":
            for group, value in entity.xdata.get(app):
                if group == 1000:
                    return value
    return ""


def vertices(entity):
    if entity.dxftype() == "LWPOLYLINE":
        return [(p[0], p[1]) for p in entity.get_points("xy")]
    return [(v.dxf.location[0], v.dxf.location[1]) for v in entity.vertices]
