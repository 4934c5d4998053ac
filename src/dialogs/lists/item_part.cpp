#include "dialogs/lists/item_part.h"

#include <new>

#include "dialogs/lists/item_model.h"
#include "dialogs/lists/item_tree.h"
#include "frame/gobject_ptr.h"

namespace {

struct PartData {
    GObjectPtr<GtkTreeModel> items;
    std::shared_ptr<PartIndex> index;
    bool on = false;
};

} // namespace

// GObject allocates the instance and zeroes it; its C++ member is built in
// place by item_part_init and destroyed by item_part_finalize.
struct _ItemPart {
    GObject parent_instance;
    int stamp;
    PartData data;
};

static void item_part_model_init(GtkTreeModelIface *iface);

G_DEFINE_TYPE_WITH_CODE(ItemPart, item_part, G_TYPE_OBJECT,
                        G_IMPLEMENT_INTERFACE(GTK_TYPE_TREE_MODEL, item_part_model_init))

namespace {

// GTK calls a model's functions with that model only.
ItemPart *part_of(GtkTreeModel *model) {
    return reinterpret_cast<ItemPart *>(model);
}

const PartData &data_of(GtkTreeModel *model) {
    return part_of(model)->data;
}

// An iterator holds the item's row; 0 in user_data2 keeps it plain data.
gboolean make_iter(GtkTreeModel *model, GtkTreeIter *iter, size_t row) {
    if (row >= data_of(model).index->size()) {
        iter->stamp = 0;
        return FALSE;
    }
    iter->stamp = part_of(model)->stamp;
    iter->user_data = GSIZE_TO_POINTER(row);
    iter->user_data2 = nullptr;
    iter->user_data3 = nullptr;
    return TRUE;
}

size_t row_of(const GtkTreeIter *iter) {
    return GPOINTER_TO_SIZE(iter->user_data);
}

// An iterator stays valid for as long as its row is in the list: rows
// leave and come back, but never change.
bool iter_is_ours(GtkTreeModel *model, const GtkTreeIter *iter) {
    const PartData &data = data_of(model);
    g_return_val_if_fail(iter != nullptr, false);
    g_return_val_if_fail(iter->stamp == part_of(model)->stamp, false);
    g_return_val_if_fail(row_of(iter) < data.index->size(), false);
    return data.index->is_on(row_of(iter)) == data.on;
}

GtkTreeModelFlags get_flags(GtkTreeModel *) {
    return GTK_TREE_MODEL_ITERS_PERSIST;
}

int get_n_columns(GtkTreeModel *model) {
    return gtk_tree_model_get_n_columns(data_of(model).items.get());
}

GType get_column_type(GtkTreeModel *model, int column) {
    return gtk_tree_model_get_column_type(data_of(model).items.get(), column);
}

gboolean get_iter(GtkTreeModel *model, GtkTreeIter *iter, GtkTreePath *path) {
    int depth = 0;
    int *indices = gtk_tree_path_get_indices_with_depth(path, &depth);
    if (depth != 1 || indices[0] < 0)
        return make_iter(model, iter, SIZE_MAX);
    const PartData &data = data_of(model);
    return make_iter(model, iter, data.index->row_at(data.on, indices[0]));
}

GtkTreePath *get_path(GtkTreeModel *model, GtkTreeIter *iter) {
    if (!iter_is_ours(model, iter))
        return nullptr;
    return gtk_tree_path_new_from_indices(
        static_cast<int>(data_of(model).index->place(row_of(iter))), -1);
}

// A refused iterator gets the item model's answer to an invalid one.
void get_value(GtkTreeModel *model, GtkTreeIter *iter, int column, GValue *value) {
    const PartData &data = data_of(model);
    GtkTreeIter item;
    const size_t row = iter_is_ours(model, iter) ? row_of(iter) : SIZE_MAX;
    item_tree_iter_of(ITEM_TREE(data.items.get()), row, &item);
    gtk_tree_model_get_value(data.items.get(), &item, column, value);
}

// How far a row's neighbour in its list is looked for among the rows
// beside it before the index is asked: a view walks its whole list, row by
// row, when it gets it, and a neighbour is most often near.
constexpr size_t NEAR_ROWS = 16;

// The next (or previous) row of the list.
gboolean step(GtkTreeModel *model, GtkTreeIter *iter, bool forward) {
    if (!iter_is_ours(model, iter))
        return make_iter(model, iter, SIZE_MAX);
    const PartData &data = data_of(model);
    const PartIndex &index = *data.index;
    size_t row = row_of(iter);
    for (size_t looked = 0; looked < NEAR_ROWS; ++looked) {
        if (forward ? row + 1 >= index.size() : row == 0)
            return make_iter(model, iter, SIZE_MAX);
        row = forward ? row + 1 : row - 1;
        if (index.is_on(row) == data.on)
            return make_iter(model, iter, row);
    }
    const size_t place = index.place(row_of(iter));
    if (!forward && place == 0)
        return make_iter(model, iter, SIZE_MAX);
    return make_iter(model, iter, index.row_at(data.on, forward ? place + 1 : place - 1));
}

gboolean iter_next(GtkTreeModel *model, GtkTreeIter *iter) {
    return step(model, iter, true);
}

gboolean iter_previous(GtkTreeModel *model, GtkTreeIter *iter) {
    return step(model, iter, false);
}

gboolean iter_nth_child(GtkTreeModel *model, GtkTreeIter *iter, GtkTreeIter *parent, int n) {
    const PartData &data = data_of(model);
    if (parent != nullptr || n < 0)
        return make_iter(model, iter, SIZE_MAX);
    return make_iter(model, iter, data.index->row_at(data.on, n));
}

gboolean iter_children(GtkTreeModel *model, GtkTreeIter *iter, GtkTreeIter *parent) {
    return iter_nth_child(model, iter, parent, 0);
}

gboolean iter_has_child(GtkTreeModel *, GtkTreeIter *) {
    return FALSE;
}

int iter_n_children(GtkTreeModel *model, GtkTreeIter *iter) {
    const PartData &data = data_of(model);
    return iter == nullptr ? static_cast<int>(data.index->count(data.on)) : 0;
}

gboolean iter_parent(GtkTreeModel *model, GtkTreeIter *iter, GtkTreeIter *) {
    return make_iter(model, iter, SIZE_MAX);
}

} // namespace

static void item_part_model_init(GtkTreeModelIface *iface) {
    iface->get_flags = get_flags;
    iface->get_n_columns = get_n_columns;
    iface->get_column_type = get_column_type;
    iface->get_iter = get_iter;
    iface->get_path = get_path;
    iface->get_value = get_value;
    iface->iter_next = iter_next;
    iface->iter_previous = iter_previous;
    iface->iter_children = iter_children;
    iface->iter_has_child = iter_has_child;
    iface->iter_n_children = iter_n_children;
    iface->iter_nth_child = iter_nth_child;
    iface->iter_parent = iter_parent;
}

static void item_part_finalize(GObject *object) {
    ITEM_PART(object)->data.~PartData();
    G_OBJECT_CLASS(item_part_parent_class)->finalize(object);
}

static void item_part_class_init(ItemPartClass *klass) {
    G_OBJECT_CLASS(klass)->finalize = item_part_finalize;
}

static void item_part_init(ItemPart *part) {
    new (&part->data) PartData;
    do {
        part->stamp = g_random_int();
    } while (part->stamp == 0);
}

ItemPart *item_part_new(GtkTreeModel *items, std::shared_ptr<PartIndex> index, bool on) {
    ItemPart *part = ITEM_PART(g_object_new(ITEM_TYPE_PART, nullptr));
    part->data.items = GObjectPtr<GtkTreeModel>::ref(items);
    part->data.index = std::move(index);
    part->data.on = on;
    return part;
}

bool item_part_iter_of(ItemPart *part, GtkTreeIter *item, GtkTreeIter *iter) {
    GtkTreeModel *model = GTK_TREE_MODEL(part);
    GtkTreePath *path = gtk_tree_model_get_path(part->data.items.get(), item);
    if (path == nullptr)
        return make_iter(model, iter, SIZE_MAX);
    const TreePathPtr owned(path);
    const size_t row = gtk_tree_path_get_indices(path)[0];
    make_iter(model, iter, row);
    return iter_is_ours(model, iter);
}

// The row keeps its place among the rows before it, which do not move: its
// place in from is found before it leaves, in to once it has come.
bool item_part_move(ItemPart *from, ItemPart *to, GtkTreeIter *iter, GtkTreeIter *moved) {
    GtkTreeModel *from_model = GTK_TREE_MODEL(from);
    if (!iter_is_ours(from_model, iter))
        return false;
    const size_t row = row_of(iter);
    PartIndex &index = *from->data.index;
    TreePathPtr left(get_path(from_model, iter));
    index.set(row, to->data.on);
    gtk_tree_model_row_deleted(from_model, left.get());

    GtkTreeModel *to_model = GTK_TREE_MODEL(to);
    make_iter(to_model, moved, row);
    TreePathPtr came(get_path(to_model, moved));
    gtk_tree_model_row_inserted(to_model, came.get(), moved);

    GtkTreeIter item;
    item_tree_iter_of(ITEM_TREE(from->data.items.get()), row, &item);
    set_item_state(from->data.items.get(), &item, to->data.on);
    return true;
}
